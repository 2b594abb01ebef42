// Codes turned into words for the debug log. Every table is sorted by code;
// the unit tests walk the whole code range, so a row out of order (which
// the binary search would miss) or a missing row shows up there.
#include <algorithm>
#include <iterator>

#include "diag/trace.h"

namespace {

struct Word {
    sb8 code;
    const char *name;
};

template <size_t N> const char *FindWord(const Word (&table)[N], sb8 code) {
    const Word *end = table + N;
    const Word *it = std::lower_bound(table, end, code,
                                      [](const Word &w, sb8 c) { return w.code < c; });
    return it != end && it->code == code ? it->name : nullptr;
}

constexpr Word kReturnCodes[] = {
    {OCI_CONTINUE, "CONTINUE"},
    {OCI_STILL_EXECUTING, "STILL EXECUTING"},
    {OCI_INVALID_HANDLE, "INVALID HANDLE"},
    {OCI_ERROR, "ERROR"},
    {OCI_SUCCESS, "SUCCESS"},
    {OCI_SUCCESS_WITH_INFO, "SUCCESS WITH INFO"},
    {OCI_NEED_DATA, "NEED DATA"},
    {OCI_NO_DATA, "NO DATA"},
};

// The log's own short names; they follow the handle and descriptor numbering
// but not always the published names (61-63 are the old datetime slots).
constexpr const char *kHandleTypes[] = {
    "",                            // 0
    "HTYPE_ENV",                   // 1
    "HTYPE_ERROR",
    "HTYPE_SVCCTX",
    "HTYPE_STMT",
    "HTYPE_BIND",
    "HTYPE_DEFINE",
    "HTYPE_DESCRIBE",
    "HTYPE_SERVER",
    "HTYPE_SESSION",
    "HTYPE_TRANS",
    "HTYPE_COMPLEXOBJECT",
    "HTYPE_SECURITY",
    "HTYPE_SUBSCRIPTION",
    "HTYPE_DIRPATH_CTX",
    "HTYPE_DIRPATH_COLUMN_ARRAY",
    "HTYPE_DIRPATH_STREAM",
    "HTYPE_PROC",                  // 17
};
constexpr ub4 kFirstDescriptorType = 50;
constexpr const char *kDescriptorTypes[] = {
    "DTYPE_LOB",                   // 50
    "DTYPE_SNAP",
    "DTYPE_RSET",
    "DTYPE_PARAM",
    "DTYPE_ROWID",
    "DTYPE_COMPLEXOBJECTCOMP",
    "DTYPE_FILE",
    "DTYPE_AQENQ_OPTIONS",
    "DTYPE_AQDEQ_OPTIONS",
    "DTYPE_AQMSG_PROPERTIES",
    "DTYPE_AQAGENT",
    "DTYPE_LOCATOR",
    "DTYPE_DATETIME",
    "DTYPE_INTERVAL",
    "DTYPE_AQNFY_DESCRIPTOR",      // 64
};

#define DURATION(n) {OCI_DURATION_##n, "OCI_DURATION_" #n}
constexpr Word kDurations[] = {
    DURATION(PROCESS),
    DURATION(NEXT),
    DURATION(DEFAULT),
    DURATION(NULL),
    DURATION(SESSION),
    DURATION(TRANS),
    DURATION(CALL),
    DURATION(STATEMENT),
    DURATION(CALLOUT),
};
#undef DURATION

// Built from the public constants so a name and its number cannot drift apart.
#define FN(n) {OCI_FNCODE_##n, "OCI_FNCODE_" #n}
constexpr Word kFunctionCodes[] = {
    FN(INITIALIZE),          FN(HANDLEALLOC),        FN(HANDLEFREE),
    FN(DESCRIPTORALLOC),     FN(DESCRIPTORFREE),     FN(ENVINIT),
    FN(SERVERATTACH),        FN(SERVERDETACH),       FN(SESSIONBEGIN),
    FN(SESSIONEND),          FN(PASSWORDCHANGE),     FN(STMTPREPARE),
    FN(BINDDYNAMIC),         FN(BINDOBJECT),         FN(BINDARRAYOFSTRUCT),
    FN(STMTEXECUTE),         FN(DEFINEOBJECT),       FN(DEFINEDYNAMIC),
    FN(DEFINEARRAYOFSTRUCT), FN(STMTFETCH),          FN(STMTGETBIND),
    FN(DESCRIBEANY),         FN(TRANSSTART),         FN(TRANSDETACH),
    FN(TRANSCOMMIT),         FN(ERRORGET),           FN(LOBOPENFILE),
    FN(LOBCLOSEFILE),        FN(LOBCOPY),            FN(LOBAPPEND),
    FN(LOBERASE),            FN(LOBLENGTH),          FN(LOBTRIM),
    FN(LOBREAD),             FN(LOBWRITE),           FN(SVCCTXBREAK),
    FN(SERVERVERSION),       FN(KERBATTRSET),        FN(ATTRGET),
    FN(ATTRSET),             FN(PARAMSET),           FN(PARAMGET),
    FN(STMTGETPIECEINFO),    FN(LDATOSVCCTX),        FN(STMTSETPIECEINFO),
    FN(TRANSFORGET),         FN(TRANSPREPARE),       FN(TRANSROLLBACK),
    FN(DEFINEBYPOS),         FN(BINDBYPOS),          FN(BINDBYNAME),
    FN(LOBASSIGN),           FN(LOBISEQUAL),         FN(LOBISINIT),
    FN(LOBENABLEBUFFERING),  FN(LOBCHARSETID),       FN(LOBCHARSETFORM),
    FN(LOBFILESETNAME),      FN(LOBFILEGETNAME),     FN(LOGON),
    FN(LOGOFF),              FN(LOBDISABLEBUFFERING), FN(LOBFLUSHBUFFER),
    FN(LOBLOADFROMFILE),     FN(LOBOPEN),            FN(LOBCLOSE),
    FN(LOBISOPEN),           FN(LOBFILEISOPEN),      FN(LOBFILEEXISTS),
    FN(LOBFILECLOSEALL),     FN(LOBCREATETEMP),      FN(LOBFREETEMP),
    FN(LOBISTEMP),           FN(AQENQ),              FN(AQDEQ),
    FN(RESET),               FN(SVCCTXTOLDA),        FN(LOBLOCATORASSIGN),
    FN(UBINDBYNAME),         FN(AQLISTEN),           FN(SVC2HST),
    FN(SVCRH),               FN(TRANSMULTIPREPARE),  FN(CPOOLCREATE),
    FN(CPOOLDESTROY),        FN(LOGON2),             FN(ROWIDTOCHAR),
    FN(SPOOLCREATE),         FN(SPOOLDESTROY),       FN(SESSIONGET),
    FN(SESSIONRELEASE),      FN(STMTPREPARE2),       FN(STMTRELEASE),
    FN(AQENQARRAY),          FN(AQDEQARRAY),         FN(LOBCOPY2),
    FN(LOBERASE2),           FN(LOBLENGTH2),         FN(LOBLOADFROMFILE2),
    FN(LOBREAD2),            FN(LOBTRIM2),           FN(LOBWRITE2),
    FN(LOBGETSTORAGELIMIT),  FN(DBSTARTUP),          FN(DBSHUTDOWN),
    FN(LOBARRAYREAD),        FN(LOBARRAYWRITE),
};
#undef FN

}  // namespace

const char *o2pGetReturnCodeText(sword status) {
    const char *word = FindWord(kReturnCodes, status);
    return word != nullptr ? word : "UNKNOWN RETURN CODE";
}

const char *o2pGetHandleTypeName(ub4 type) {
    if (type < std::size(kHandleTypes)) return kHandleTypes[type];
    if (type >= kFirstDescriptorType && type - kFirstDescriptorType < std::size(kDescriptorTypes))
        return kDescriptorTypes[type - kFirstDescriptorType];
    return "Invalid handle";
}

const char *o2pGetDurationText(ub4 duration) {
    const char *word = FindWord(kDurations, duration);
    return word != nullptr ? word : "UNKNOWN DURATION";
}

const char *o2pGetFunctionCode(ub4 code) { return FindWord(kFunctionCodes, code); }
