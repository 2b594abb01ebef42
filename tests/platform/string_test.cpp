// OCIString: the object-mode check, argument checks, assignment, resizing
// and the record's sizes.
#include <cstring>
#include <memory>
#include <string>

#include "env/memory.h"
#include "platform/oci_string.h"
#include "platform_fixture.h"

using namespace platform_test;

namespace {

const oratext *T(const char *s) { return reinterpret_cast<const oratext *>(s); }

class StringTest : public EnvTest {
protected:
    StringTest() : EnvTest(OCI_OBJECT) {}
    std::string Text(const OCIString *s) { return reinterpret_cast<const char *>(OCIStringPtr(env, s)); }
    ub4 Alloc(const OCIString *s) {
        ub4 size = 0;
        EXPECT_EQ(OCIStringAllocSize(env, err, s, &size), OCI_SUCCESS);
        return size;
    }
};

TEST(StringMode, EveryCallNeedsAnObjectModeEnvironment) {
    OCIEnv *env = NewEnv(OCI_DEFAULT);
    OCIError *err = NewError(env);
    OCIString value{5, 5, const_cast<char *>("hello")};
    OCIString *lhs = nullptr;
    ub4 size = 0;
    auto wrongMode = [&](sword rc) {
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_NE(FirstRecord(err).text.find("21301: incorrect initialization mode"), std::string::npos);
    };
    wrongMode(OCIStringAssign(env, err, &value, &lhs));
    wrongMode(OCIStringAssignText(env, err, T("x"), 1, &lhs));
    wrongMode(OCIStringResize(env, err, 4, &lhs));
    wrongMode(OCIStringAllocSize(env, err, &value, &size));
    EXPECT_EQ(lhs, nullptr);
    // Without an error handle the record goes to the environment's own.
    EXPECT_EQ(OCIStringSize(env, &value), 0xFFFFFFFFu);
    EXPECT_EQ(OCIStringPtr(env, &value), nullptr);
    EXPECT_EQ(ErrorCode(env, OCI_HTYPE_ENV), 21301);

    EXPECT_EQ(OCIStringAssign(env, nullptr, &value, &lhs), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIStringSize(reinterpret_cast<OCIEnv *>(err), &value), static_cast<ub4>(OCI_INVALID_HANDLE));
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

TEST_F(StringTest, AssignTextTakesTheTextUpToItsEnd) {
    OCIString *s = nullptr;
    ASSERT_EQ(OCIStringAssignText(env, err, T("hi"), 40, &s), OCI_SUCCESS);
    EXPECT_EQ(Text(s), "hi");
    EXPECT_EQ(OCIStringSize(env, s), 2u);
    EXPECT_EQ(Alloc(s), 2u);

    // The length bounds the text: nothing past it is read, so an exact-size
    // buffer without a terminator is taken whole (the sanitizer build would
    // catch a read of the byte after it) and a shorter length cuts the text.
    std::unique_ptr<char[]> exact(new char[4]{'a', 'b', 'c', 'd'});
    ASSERT_EQ(OCIStringAssignText(env, err, T(exact.get()), 4, &s), OCI_SUCCESS);
    EXPECT_EQ(Text(s), "abcd");
    ASSERT_EQ(OCIStringAssignText(env, err, T("goodbye"), 3, &s), OCI_SUCCESS);
    EXPECT_EQ(Text(s), "goo");

    // From the value's own buffer.
    ASSERT_EQ(OCIStringAssignText(env, err, T("abcdef"), 6, &s), OCI_SUCCESS);
    ASSERT_EQ(OCIStringAssignText(env, err, OCIStringPtr(env, s) + 2, 4, &s), OCI_SUCCESS);
    EXPECT_EQ(Text(s), "cdef");

    EXPECT_EQ(OCIStringAssignText(env, err, nullptr, 1, &s), OCI_ERROR);
    EXPECT_NE(FirstRecord(err).text.find("out of range argument 3"), std::string::npos);
    EXPECT_EQ(OCIStringAssignText(env, err, T("x"), 1, nullptr), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '5');
    EXPECT_EQ(OCIStringResize(env, err, 0, &s), OCI_SUCCESS);
}

TEST_F(StringTest, AssignCopiesWithinTheSourceBuffer) {
    OCIString *a = nullptr, *b = nullptr;
    ASSERT_EQ(OCIStringAssignText(env, err, T("first"), 5, &a), OCI_SUCCESS);
    ASSERT_EQ(OCIStringAssign(env, err, a, &b), OCI_SUCCESS);
    OCIStringPtr(env, a)[0] = 'F';
    EXPECT_EQ(Text(b), "first");
    EXPECT_EQ(OCIStringSize(env, b), 5u);
    ASSERT_EQ(OCIStringAssign(env, err, b, &b), OCI_SUCCESS);
    EXPECT_EQ(Text(b), "first");

    // A resized buffer filled to its size is read no further, and the copy's
    // length never claims more than was copied.
    ASSERT_EQ(OCIStringResize(env, err, 4, &a), OCI_SUCCESS);
    std::memcpy(OCIStringPtr(env, a), "wxyz", 4);
    a->length = 9;
    ASSERT_EQ(OCIStringAssign(env, err, a, &b), OCI_SUCCESS);
    EXPECT_EQ(Text(b), "wxyz");
    EXPECT_EQ(OCIStringSize(env, b), 4u);

    EXPECT_EQ(OCIStringAssign(env, err, a, nullptr), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '4');
    OCIStringResize(env, err, 0, &a);
    OCIStringResize(env, err, 0, &b);
}

TEST_F(StringTest, ResizeGivesAFreshZeroedBufferOrReleases) {
    OCIString *s = nullptr;
    ASSERT_EQ(OCIStringAssignText(env, err, T("keep"), 4, &s), OCI_SUCCESS);
    ASSERT_EQ(OCIStringResize(env, err, 8, &s), OCI_SUCCESS);
    EXPECT_EQ(OCIStringSize(env, s), 0u);
    EXPECT_EQ(Alloc(s), 8u);
    const char zeros[9] = {};
    EXPECT_EQ(std::memcmp(OCIStringPtr(env, s), zeros, 9), 0);  // terminated past the size

    ASSERT_EQ(OCIStringResize(env, err, 0, &s), OCI_SUCCESS);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(OCIStringSize(env, s), 0u);
    EXPECT_EQ(OCIStringResize(env, err, 4, nullptr), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '4');
    EXPECT_EQ(OCIStringAllocSize(env, err, nullptr, nullptr), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '3');
}

TEST_F(StringTest, OutOfMemoryLeavesTheTargetAlone) {
    OCIString *s = nullptr;
    ASSERT_EQ(OCIStringAssignText(env, err, T("old"), 3, &s), OCI_SUCCESS);
    for (long n = 0; n < 2; n++) {  // the text, then the record
        OCIString *fresh = nullptr;
        o2pFailAllocationAfter(n);
        EXPECT_EQ(OCIStringAssignText(env, err, T("new"), 3, &fresh), OCI_ERROR);
        o2pFailAllocationAfter(-1);
        EXPECT_EQ(ErrorCode(err), 16506);
        EXPECT_EQ(fresh, nullptr);
    }
    o2pFailAllocationAfter(0);
    EXPECT_EQ(OCIStringResize(env, err, 100, &s), OCI_ERROR);
    o2pFailAllocationAfter(-1);
    EXPECT_EQ(Text(s), "old");
    EXPECT_EQ(OCIStringResize(env, err, 0, &s), OCI_SUCCESS);
}

}  // namespace
