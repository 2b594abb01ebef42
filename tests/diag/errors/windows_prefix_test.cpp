#include <gtest/gtest.h>

#include <cstring>

#include "diag/catalogue.h"

TEST(WindowsPrefix, EveryPrefixedTextUsesTheShortForm) {
    EXPECT_STREQ(o2pRawErrorText(942), "VOSKA-00942: table or view does not exist");
    EXPECT_STREQ(o2pRawErrorText(2112), "VOSKA-2112: returns too many rows");
    EXPECT_STREQ(o2pRawErrorText(54), "resource busy - lock timeout");
    for (ub4 n = 0; n < 100000; n++) {
        const char *raw = o2pRawErrorText(n);
        if (raw != nullptr) {
            EXPECT_EQ(std::strstr(raw, "VOSKARI-"), nullptr) << n;
        }
    }
}
