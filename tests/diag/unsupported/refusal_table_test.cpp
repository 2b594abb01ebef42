// Every refusing member, called once with null and zero arguments and once
// with a live environment and error handle: each returns its fixed refusal
// value (sized by its OCI result type), dereferences nothing and leaves no
// error record behind.
#include <gtest/gtest.h>

#include <oci.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace {

using Call = unsigned long long (*)(OCIEnv *, OCIError *);

struct Row {
    const char *call;
    Call run;
    unsigned long long expected;
};

// Signed results widen with their sign, unsigned ones without, so a 32-bit
// all-ones value stays distinguishable from a 64-bit one.
template <class T> unsigned long long Widen(T value) {
    if constexpr (std::is_pointer<T>::value)
        return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(value));
    else if constexpr (std::is_signed<T>::value)
        return static_cast<unsigned long long>(static_cast<long long>(value));
    else
        return static_cast<unsigned long long>(value);
}

constexpr unsigned long long kMinusOne = ~0ull;  // -1, or the all-ones size_t
constexpr unsigned long long kOnes32 = 0xFFFFFFFFull;
constexpr unsigned long long kNull = 0;

#define ROW(expected, call) \
    Row { #call, [](OCIEnv *e, OCIError *r) -> unsigned long long { return Widen(call); }, expected }

const Row kRows[] = {
    // Object cache and instances.
    ROW(kMinusOne, OCICacheFlush(e, r, nullptr, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCICacheRefresh(e, r, nullptr, OCI_REFRESH_LOADED, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCICacheUnmark(e, r, nullptr)),
    ROW(kMinusOne, OCICacheFree(e, r, nullptr)),
    ROW(kMinusOne, OCICacheUnpin(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectFlush(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectFlushRefresh(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectRefresh(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectMarkDelete(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectMarkDeleteByRef(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectMarkUpdate(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectUnmark(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectUnmarkByRef(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectExists(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectGetProperty(e, r, nullptr, OCI_OBJECTPROP_LIFETIME, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectIsDirty(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectIsLocked(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectCopy(e, r, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0)),
    ROW(kMinusOne, OCIObjectGetAttr(e, r, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                    0, nullptr, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectGetInd(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectGetObjectRef(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectGetTypeRef(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectLock(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectLockNoWait(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectNew(e, r, nullptr, 0, nullptr, nullptr, 0, 0, nullptr)),
    ROW(kMinusOne, OCIObjectSetAttr(e, r, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                    0, 0, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectArrayPin(e, r, nullptr, 0, nullptr, 0, OCI_PIN_DEFAULT, 0,
                                     OCI_LOCK_NONE, nullptr, nullptr)),
    ROW(kMinusOne, OCIObjectFree(e, r, nullptr, 0)),
    ROW(kMinusOne, OCIObjectPin(e, r, nullptr, nullptr, OCI_PIN_DEFAULT, 0, OCI_LOCK_NONE, nullptr)),
    ROW(kMinusOne, OCIObjectPinCountReset(e, r, nullptr)),
    ROW(kMinusOne, OCIObjectPinTable(e, r, nullptr, nullptr, 0, nullptr, 0, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIObjectUnpin(e, r, nullptr)),
    // Types.
    ROW(kMinusOne, OCITypeArrayByName(e, r, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, 0, OCI_TYPEGET_HEADER, nullptr)),
    ROW(kMinusOne, OCITypeArrayByRef(e, r, 0, nullptr, 0, OCI_TYPEGET_HEADER, nullptr)),
    ROW(kMinusOne, OCITypeByName(e, r, nullptr, nullptr, 0, nullptr, 0, nullptr, 0, 0,
                                 OCI_TYPEGET_HEADER, nullptr)),
    ROW(kMinusOne, OCITypeByRef(e, r, nullptr, 0, OCI_TYPEGET_HEADER, nullptr)),
    ROW(kMinusOne, OCITypeAddAttr(nullptr, r, nullptr, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCITypeBeginCreate(nullptr, r, 0, 0, nullptr)),
    ROW(kMinusOne, OCITypeEndCreate(nullptr, r, nullptr)),
    ROW(kMinusOne, OCITypeSetBuiltin(nullptr, r, nullptr, nullptr)),
    ROW(kMinusOne, OCITypeSetCollection(nullptr, r, nullptr, nullptr, 0)),
    ROW(kMinusOne, OCIUserCallbackGet(e, OCI_HTYPE_ENV, r, 0, 0, nullptr, nullptr, nullptr)),
    // Collections and iterators.
    ROW(kMinusOne, OCICollAppend(e, r, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCICollAssign(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCICollAssignElem(e, r, 0, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCICollGetElem(e, r, nullptr, 0, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCICollGetElemArray(e, r, nullptr, 0, nullptr, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCICollIsLocator(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCICollMax(e, nullptr)),
    ROW(kMinusOne, OCICollSize(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCICollTrim(e, r, 0, nullptr)),
    ROW(kMinusOne, OCIIterCreate(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIIterDelete(e, r, nullptr)),
    ROW(kMinusOne, OCIIterGetCurrent(e, r, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCIIterInit(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIIterNext(e, r, nullptr, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCIIterPrev(e, r, nullptr, nullptr, nullptr, nullptr)),
    // Strays.
    ROW(kMinusOne, OCIDateZoneToZone(r, nullptr, nullptr, 0, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIMemoryResize(e, r, nullptr, 0, 0)),
    ROW(kMinusOne, OCIContextClearValue(e, r, nullptr, 0)),
    ROW(kMinusOne, OCIContextGenerateKey(e, r, nullptr)),
    // Parameter extraction and formatting.
    ROW(kMinusOne, OCIExtractInit(e, r)),
    ROW(kMinusOne, OCIExtractTerm(e, r)),
    ROW(kMinusOne, OCIExtractReset(e, r)),
    ROW(kMinusOne, OCIExtractSetNumKeys(e, r, 0)),
    ROW(kMinusOne, OCIExtractSetKey(e, r, nullptr, 0, 0, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCIExtractFromFile(e, r, 0, nullptr)),
    ROW(kMinusOne, OCIExtractFromStr(e, r, 0, nullptr)),
    ROW(kMinusOne, OCIExtractToInt(e, r, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIExtractToBool(e, r, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIExtractToStr(e, r, nullptr, 0, nullptr, 0)),
    ROW(kMinusOne, OCIExtractToOCINum(e, r, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIExtractToList(e, r, nullptr)),
    ROW(kMinusOne, OCIExtractFromList(e, r, 0, nullptr, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCIFormatInit(e, r)),
    ROW(kMinusOne, OCIFormatTerm(e, r)),
    ROW(kMinusOne, OCIFormatString(e, r, nullptr, 0, nullptr, nullptr)),
    // AnyData and AnyDataSet.
    ROW(kMinusOne, OCIAnyDataAccess(nullptr, r, nullptr, 0, nullptr, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCIAnyDataAttrGet(nullptr, r, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)),
    ROW(kMinusOne, OCIAnyDataAttrSet(nullptr, r, nullptr, 0, nullptr, nullptr, nullptr, 0, 0)),
    ROW(kMinusOne, OCIAnyDataBeginCreate(nullptr, r, 0, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIAnyDataCollAddElem(nullptr, r, nullptr, 0, nullptr, nullptr, nullptr, 0, 0, 0)),
    ROW(kMinusOne, OCIAnyDataCollGetElem(nullptr, r, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                         0)),
    ROW(kMinusOne, OCIAnyDataConvert(nullptr, r, 0, nullptr, 0, nullptr, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIAnyDataDestroy(nullptr, r, nullptr)),
    ROW(kMinusOne, OCIAnyDataEndCreate(nullptr, r, nullptr)),
    ROW(kMinusOne, OCIAnyDataGetCurrAttrNum(nullptr, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIAnyDataGetType(nullptr, r, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCIAnyDataIsNull(nullptr, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIAnyDataSetAddInstance(nullptr, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIAnyDataSetBeginCreate(nullptr, r, 0, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIAnyDataSetDestroy(nullptr, r, nullptr)),
    ROW(kMinusOne, OCIAnyDataSetEndCreate(nullptr, r, nullptr)),
    ROW(kMinusOne, OCIAnyDataSetGetCount(nullptr, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIAnyDataSetGetInstance(nullptr, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIAnyDataSetGetType(nullptr, r, nullptr, nullptr, nullptr)),
    // NLS, multibyte and wide characters.
    ROW(kMinusOne, OCINlsGetInfo(e, r, nullptr, 0, 0)),
    ROW(kMinusOne, OCINlsNumericInfoGet(e, r, nullptr, 0)),
    ROW(kMinusOne, OCINlsNameMap(e, nullptr, 0, nullptr, 0)),
    ROW(kMinusOne, OCICharSetConversionIsReplacementUsed(e)),
    ROW(kMinusOne, OCIMultiByteStrcmp(e, nullptr, nullptr, 0)),
    ROW(kMinusOne, OCIMultiByteStrncmp(e, nullptr, 0, nullptr, 0, 0)),
    ROW(kMinusOne, OCIMultiByteToWideChar(e, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCIWideCharInSizeToMultiByte(e, nullptr, 0, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIWideCharToMultiByte(e, nullptr, nullptr, nullptr)),
    ROW(kOnes32, OCIWideCharToLower(e, 'A')),
    ROW(kOnes32, OCIWideCharToUpper(e, 'a')),
    ROW(kMinusOne, OCIWideCharIsAlnum(e, 'a')),
    ROW(kMinusOne, OCIWideCharIsAlpha(e, 'a')),
    ROW(kMinusOne, OCIWideCharIsCntrl(e, 'a')),
    ROW(kMinusOne, OCIWideCharIsDigit(e, '1')),
    ROW(kMinusOne, OCIWideCharIsGraph(e, 'a')),
    ROW(kMinusOne, OCIWideCharIsLower(e, 'a')),
    ROW(kMinusOne, OCIWideCharIsPrint(e, 'a')),
    ROW(kMinusOne, OCIWideCharIsPunct(e, '.')),
    ROW(kMinusOne, OCIWideCharIsSingleByte(e, 'a')),
    ROW(kMinusOne, OCIWideCharIsSpace(e, ' ')),
    ROW(kMinusOne, OCIWideCharIsUpper(e, 'A')),
    ROW(kMinusOne, OCIWideCharIsXdigit(e, 'f')),
    // Length results: the all-ones size_t.
    ROW(kMinusOne, OCIMultiByteStrCaseConversion(e, nullptr, nullptr, 0)),
    ROW(kMinusOne, OCIMultiByteStrcat(e, nullptr, nullptr)),
    ROW(kMinusOne, OCIMultiByteStrcpy(e, nullptr, nullptr)),
    ROW(kMinusOne, OCIMultiByteStrncat(e, nullptr, nullptr, 0)),
    ROW(kMinusOne, OCIMultiByteStrncpy(e, nullptr, nullptr, 0)),
    ROW(kMinusOne, OCIWideCharMultiByteLength(e, 'a')),
    ROW(kMinusOne, OCIWideCharStrCaseConversion(e, nullptr, nullptr, 0)),
    ROW(kMinusOne, OCIWideCharStrcat(e, nullptr, nullptr)),
    ROW(kMinusOne, OCIWideCharStrcpy(e, nullptr, nullptr)),
    ROW(kMinusOne, OCIWideCharStrncat(e, nullptr, nullptr, 0)),
    ROW(kMinusOne, OCIWideCharStrncpy(e, nullptr, nullptr, 0)),
    ROW(kMinusOne, ociepmsg(nullptr, 20000, nullptr, 0)),
    // Pointer results.
    ROW(kNull, OCIWideCharStrrchr(e, nullptr, 'a')),
    ROW(kNull, OCIMessageGet(nullptr, 0, nullptr, 0)),
    ROW(kNull, ociepacm(nullptr, 16)),
    ROW(kNull, OCIRawPtr(e, nullptr)),
    // Message files and external procedures.
    ROW(kMinusOne, OCIMessageOpen(e, r, nullptr, nullptr, nullptr, 0)),
    ROW(kMinusOne, OCIMessageClose(e, r, nullptr)),
    ROW(kMinusOne, ocieperr(nullptr, 20000)),
    // RAW values, references and index tables.
    ROW(kMinusOne, OCIRawAllocSize(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIRawAssignBytes(e, r, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCIRawAssignRaw(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIRawResize(e, r, 0, nullptr)),
    ROW(kOnes32, OCIRawSize(e, nullptr)),
    ROW(kMinusOne, OCIRefAssign(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCIRefFromHex(e, r, nullptr, nullptr, 0, nullptr)),
    ROW(kOnes32, OCIRefHexSize(e, nullptr)),
    ROW(kMinusOne, OCIRefIsEqual(e, nullptr, nullptr)),
    ROW(kMinusOne, OCIRefIsNull(e, nullptr)),
    ROW(kMinusOne, OCIRefToHex(e, r, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCITableDelete(e, r, 0, nullptr)),
    ROW(kMinusOne, OCITableExists(e, r, nullptr, 0, nullptr)),
    ROW(kMinusOne, OCITableFirst(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCITableLast(e, r, nullptr, nullptr)),
    ROW(kMinusOne, OCITableNext(e, r, 0, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCITablePrev(e, r, 0, nullptr, nullptr, nullptr)),
    ROW(kMinusOne, OCITableSize(e, r, nullptr, nullptr)),
};

std::string NameOf(const Row &row) {
    std::string call = row.call;
    return call.substr(0, call.find('('));
}

TEST(RefusalTable, NullArgumentsGiveTheFixedResult) {
    for (const Row &row : kRows) EXPECT_EQ(row.run(nullptr, nullptr), row.expected) << row.call;
}

TEST(RefusalTable, LiveHandlesGiveTheSameResultAndNoRecord) {
    OCIEnv *env = nullptr;
    ASSERT_EQ(OCIEnvCreate(&env, OCI_OBJECT, nullptr, nullptr, nullptr, nullptr, 0, nullptr),
              OCI_SUCCESS);
    void *err = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, &err, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    OCIError *errhp = static_cast<OCIError *>(err);
    for (const Row &row : kRows) {
        EXPECT_EQ(row.run(env, errhp), row.expected) << row.call;
        sb4 code = 0;
        EXPECT_EQ(OCIErrorGet(errhp, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR), OCI_NO_DATA)
            << NameOf(row) << " left record " << code;
        EXPECT_EQ(OCIErrorGet(env, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ENV), OCI_NO_DATA)
            << NameOf(row) << " left record " << code << " on the environment";
    }
    EXPECT_EQ(OCIHandleFree(errhp, OCI_HTYPE_ERROR), OCI_SUCCESS);
    EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS);
}

TEST(RefusalTable, ResultlessMembersLeaveTheirArgumentsAlone) {
    // OCIRefClear clears nothing; ociepgoe clears only what it can return.
    unsigned char ref[16];
    memset(ref, 0x5A, sizeof ref);
    OCIRefClear(nullptr, reinterpret_cast<OCIRef *>(ref));
    for (unsigned char byte : ref) EXPECT_EQ(byte, 0x5A);

    OCIEnv *envp = reinterpret_cast<OCIEnv *>(0x10);
    OCISvcCtx *svcp = reinterpret_cast<OCISvcCtx *>(0x20);
    OCIError *errp = reinterpret_cast<OCIError *>(0x30);
    EXPECT_EQ(ociepgoe(nullptr, &envp, &svcp, &errp), 0);
    EXPECT_EQ(envp, nullptr);
    EXPECT_EQ(svcp, nullptr);
    EXPECT_EQ(errp, nullptr);
    envp = reinterpret_cast<OCIEnv *>(0x10);
    EXPECT_EQ(ociepgoe(nullptr, &envp, nullptr, nullptr), 0);
    EXPECT_EQ(envp, nullptr);
    EXPECT_EQ(ociepgoe(nullptr, nullptr, nullptr, nullptr), 0);

    OCIXmlDbFreeXmlCtx(nullptr);
}

}  // namespace
