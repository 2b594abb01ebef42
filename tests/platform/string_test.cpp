// OCIString: the object-mode check, argument checks, assignment, resizing
// and the record's sizes.
#include <cstring>
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
    void Release(OCIString *&s) { EXPECT_EQ(OCIStringResize(env, err, 0, &s), OCI_SUCCESS); }
};

TEST(StringMode, EveryCallNeedsAnObjectModeEnvironment) {
    OCIEnv *env = NewEnv(OCI_DEFAULT);
    OCIError *err = NewError(env);
    OCIString value{5, 5, const_cast<char *>("hello")};
    OCIString *lhs = nullptr;
    ub4 size = 0;
    EXPECT_EQ(OCIStringAssign(env, err, &value, &lhs), OCI_ERROR);
    Record record = FirstRecord(err);
    EXPECT_EQ(record.code, 21301);
    EXPECT_NE(record.text.find("21301: incorrect initialization mode"), std::string::npos);
    EXPECT_EQ(OCIStringAssignText(env, err, T("x"), 1, &lhs), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 21301);
    EXPECT_EQ(OCIStringResize(env, err, 4, &lhs), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 21301);
    EXPECT_EQ(OCIStringAllocSize(env, err, &value, &size), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 21301);
    EXPECT_EQ(lhs, nullptr);
    // The two calls without an error handle answer with their own values and
    // leave the record on the environment.
    EXPECT_EQ(OCIStringSize(env, &value), 0xFFFFFFFFu);
    EXPECT_EQ(ErrorCode(env, OCI_HTYPE_ENV), 21301);
    EXPECT_EQ(OCIStringPtr(env, &value), nullptr);
    EXPECT_EQ(ErrorCode(env, OCI_HTYPE_ENV), 21301);

    // Invalid handles.
    EXPECT_EQ(OCIStringAssign(env, nullptr, &value, &lhs), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIStringAssign(reinterpret_cast<OCIEnv *>(err), err, &value, &lhs), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIStringSize(reinterpret_cast<OCIEnv *>(err), &value), static_cast<ub4>(OCI_INVALID_HANDLE));
    EXPECT_EQ(OCIStringPtr(nullptr, &value), nullptr);
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

TEST_F(StringTest, AssignTextTakesTheTextUpToItsEnd) {
    OCIString *s = nullptr;
    // Exact and longer lengths copy up to the terminator.
    ASSERT_EQ(OCIStringAssignText(env, err, T("hello"), 5, &s), OCI_SUCCESS);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Text(s), "hello");
    EXPECT_EQ(OCIStringSize(env, s), 5u);
    ASSERT_EQ(OCIStringAssignText(env, err, T("hi"), 40, &s), OCI_SUCCESS);
    EXPECT_EQ(Text(s), "hi");
    ub4 alloc = 0;
    EXPECT_EQ(OCIStringAllocSize(env, err, s, &alloc), OCI_SUCCESS);
    EXPECT_EQ(alloc, 2u);
    EXPECT_EQ(OCIStringSize(env, s), 2u);

    // A length short of the text is refused without a record, and the
    // target keeps what it had.
    OCIString *before = s;
    EXPECT_EQ(OCIStringAssignText(env, err, T("goodbye"), 3, &s), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), -1);
    EXPECT_EQ(s, before);
    EXPECT_EQ(Text(s), "hi");
    OCIString *none = nullptr;
    EXPECT_EQ(OCIStringAssignText(env, err, T("goodbye"), 0, &none), OCI_ERROR);
    EXPECT_EQ(none, nullptr);

    // A text may be assigned from the value's own buffer.
    ASSERT_EQ(OCIStringAssignText(env, err, T("abcdef"), 6, &s), OCI_SUCCESS);
    ASSERT_EQ(OCIStringAssignText(env, err, OCIStringPtr(env, s) + 2, 4, &s), OCI_SUCCESS);
    EXPECT_EQ(Text(s), "cdef");

    // Missing arguments name their position.
    EXPECT_EQ(OCIStringAssignText(env, err, nullptr, 1, &s), OCI_ERROR);
    Record record = FirstRecord(err);
    EXPECT_EQ(record.code, 21560);
    EXPECT_NE(record.text.find("out of range argument 3"), std::string::npos) << record.text;
    EXPECT_EQ(OCIStringAssignText(env, err, T("x"), 1, nullptr), OCI_ERROR);
    record = FirstRecord(err);
    EXPECT_EQ(record.text.substr(record.text.size() - 2), " 5");
    Release(s);
}

TEST_F(StringTest, AssignCopiesIndependently) {
    OCIString *a = nullptr, *b = nullptr;
    ASSERT_EQ(OCIStringAssignText(env, err, T("first"), 5, &a), OCI_SUCCESS);
    ASSERT_EQ(OCIStringAssign(env, err, a, &b), OCI_SUCCESS);
    EXPECT_NE(OCIStringPtr(env, a), OCIStringPtr(env, b));
    EXPECT_EQ(Text(b), "first");
    EXPECT_EQ(OCIStringSize(env, b), 5u);
    OCIStringPtr(env, a)[0] = 'F';
    EXPECT_EQ(Text(b), "first");

    // Onto an existing value, and onto itself.
    ASSERT_EQ(OCIStringAssignText(env, err, T("longer text"), 11, &a), OCI_SUCCESS);
    ASSERT_EQ(OCIStringAssign(env, err, a, &b), OCI_SUCCESS);
    EXPECT_EQ(Text(b), "longer text");
    ASSERT_EQ(OCIStringAssign(env, err, b, &b), OCI_SUCCESS);
    EXPECT_EQ(Text(b), "longer text");
    EXPECT_EQ(OCIStringSize(env, b), 11u);

    // Text written into a resized buffer: the copy's length never exceeds
    // what was copied, and nothing is read past the buffer.
    ASSERT_EQ(OCIStringResize(env, err, 4, &a), OCI_SUCCESS);
    std::memcpy(OCIStringPtr(env, a), "wxyz", 4);
    ASSERT_EQ(OCIStringAssign(env, err, a, &b), OCI_SUCCESS);
    EXPECT_EQ(Text(b), "wxyz");
    EXPECT_EQ(OCIStringSize(env, b), 0u);  // the source's length field
    a->length = 9;  // a length beyond the text
    ASSERT_EQ(OCIStringAssign(env, err, a, &b), OCI_SUCCESS);
    EXPECT_EQ(OCIStringSize(env, b), 4u);

    EXPECT_EQ(OCIStringAssign(env, err, nullptr, &b), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '3');
    EXPECT_EQ(OCIStringAssign(env, err, a, nullptr), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '4');
    Release(a);
    Release(b);
}

TEST_F(StringTest, ResizeGivesAFreshZeroedBufferOrReleases) {
    OCIString *s = nullptr;
    ASSERT_EQ(OCIStringResize(env, err, 8, &s), OCI_SUCCESS);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(OCIStringSize(env, s), 0u);
    ub4 alloc = 0;
    EXPECT_EQ(OCIStringAllocSize(env, err, s, &alloc), OCI_SUCCESS);
    EXPECT_EQ(alloc, 8u);
    const char zeros[9] = {};
    EXPECT_EQ(std::memcmp(OCIStringPtr(env, s), zeros, 9), 0);  // terminated past the size

    ASSERT_EQ(OCIStringAssignText(env, err, T("keep"), 4, &s), OCI_SUCCESS);
    ASSERT_EQ(OCIStringResize(env, err, 2, &s), OCI_SUCCESS);
    EXPECT_EQ(Text(s), "");

    ASSERT_EQ(OCIStringResize(env, err, 0, &s), OCI_SUCCESS);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(OCIStringSize(env, s), 0u);
    EXPECT_EQ(OCIStringPtr(env, s), nullptr);
    EXPECT_EQ(OCIStringResize(env, err, 0, &s), OCI_SUCCESS);

    EXPECT_EQ(OCIStringResize(env, err, 4, nullptr), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '4');
    EXPECT_EQ(OCIStringAllocSize(env, err, nullptr, &alloc), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '3');
    OCIString value{};
    EXPECT_EQ(OCIStringAllocSize(env, err, &value, nullptr), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '4');
}

TEST_F(StringTest, OutOfMemoryLeavesTheTargetAlone) {
    OCIString *s = nullptr;
    ASSERT_EQ(OCIStringAssignText(env, err, T("old"), 3, &s), OCI_SUCCESS);
    for (long n = 0; n < 2; n++) {
        OCIString *fresh = nullptr;
        o2pFailAllocationAfter(n);
        const sword rc = OCIStringAssignText(env, err, T("new"), 3, &fresh);
        o2pFailAllocationAfter(-1);
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_EQ(ErrorCode(err), 16506);
        EXPECT_EQ(fresh, nullptr);
    }
    o2pFailAllocationAfter(0);
    EXPECT_EQ(OCIStringResize(env, err, 100, &s), OCI_ERROR);
    o2pFailAllocationAfter(0);
    EXPECT_EQ(OCIStringAssign(env, err, s, &s), OCI_ERROR);
    o2pFailAllocationAfter(-1);
    EXPECT_EQ(Text(s), "old");
    Release(s);
}

}  // namespace
