// Internals of the datetime format models: the keyword, suffix and name
// tables, the compiled node list and the per-call state the node walk uses.
// Shared by datetime_model.cpp, datetime_model_tables.cpp and the white-box
// tests; nothing outside the format-model files includes it.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "types/datetime_model.h"

// ---- keywords ------------------------------------------------------------------------

// What a keyword does when the node list is walked.
enum DchAction : unsigned char {
    DCH_ACT_DATE,    // a date field (dch_date)
    DCH_ACT_TIME,    // a time field (dch_time)
    DCH_ACT_FLAG,    // FX: exact matching for the rest of the format
    DCH_ACT_EXPAND,  // DS, DL, TS: replaced by their expansion when compiled
};

// Keyword identifiers. Lower-case keywords that produce words have their own
// identifier (the output keeps the keyword's case); the other lower-case
// keywords share the identifier of their upper-case row.
enum DCH_poz : int {
    DCH_A_D,
    DCH_A_M,
    DCH_AD,
    DCH_AM,
    DCH_B_C,
    DCH_BC,
    DCH_CC,
    DCH_DAY,
    DCH_DDD,
    DCH_DD,
    DCH_DL,
    DCH_DS,
    DCH_DY,
    DCH_Day,
    DCH_Dy,
    DCH_D,
    DCH_EE,
    DCH_E,
    DCH_FF,
    DCH_FX,
    DCH_HH24,
    DCH_HH12,
    DCH_HH,
    DCH_IW,
    DCH_IYYY,
    DCH_IYY,
    DCH_IY,
    DCH_I,
    DCH_J,
    DCH_MI,
    DCH_MM,
    DCH_MONTH,
    DCH_MON,
    DCH_MS,
    DCH_Month,
    DCH_Mon,
    DCH_P_M,
    DCH_PM,
    DCH_Q,
    DCH_RM,
    DCH_RRRR,
    DCH_RR,
    DCH_SCC,
    DCH_SSSSS,
    DCH_SS,
    DCH_SYEAR,
    DCH_SYYYY,
    DCH_TS,
    DCH_TZD,
    DCH_TZH,
    DCH_TZM,
    DCH_TZR,
    DCH_US,
    DCH_WW,
    DCH_W,
    DCH_X,
    DCH_Y_YYY,
    DCH_YEAR,
    DCH_YYYY,
    DCH_YYY,
    DCH_YY,
    DCH_Y,
    DCH_a_d,
    DCH_a_m,
    DCH_ad,
    DCH_am,
    DCH_b_c,
    DCH_bc,
    DCH_day,
    DCH_dy,
    DCH_month,
    DCH_mon,
    DCH_p_m,
    DCH_pm,
    DCH_rm,
    DCH_LAST_ID
};

struct KeyWord {
    const char *name;
    int len;  // always the length of name
    DchAction action;
    int id;  // DCH_poz
    bool is_digit;
};

// Rows sorted so that all rows of one first character are adjacent and a
// longer keyword precedes its prefixes.
constexpr int DCH_KEYWORD_COUNT = 103;
extern const KeyWord DCH_keywords[DCH_KEYWORD_COUNT];

// First row for each character from ' ' (32) to '}' (125); -1 for none.
constexpr int KeyWord_INDEX_SIZE = 94;
extern const int DCH_index[KeyWord_INDEX_SIZE];

// ---- suffixes --------------------------------------------------------------------------

constexpr int DCH_S_FM = 0x01;     // prefix: toggles fill mode
constexpr int DCH_S_TH = 0x02;     // postfix: upper-case ordinal suffix
constexpr int DCH_S_th = 0x04;     // postfix: lower-case ordinal suffix
constexpr int DCH_S_SP = 0x08;     // postfix: spell the number
constexpr int DCH_S_TM = 0x10;     // prefix: translation mode (English only: no effect)
constexpr int DCH_S_NOPAD = 0x20;  // internal: a name from the DL expansion, never padded

enum KeySuffixType { SUFFTYPE_PREFIX = 1, SUFFTYPE_POSTFIX = 2 };

struct KeySuffix {
    const char *name;
    int len;
    int id;  // DCH_S_*
    KeySuffixType type;
};

constexpr int DCH_SUFF_COUNT = 7;
extern const KeySuffix DCH_suff[DCH_SUFF_COUNT];

// ---- name tables -------------------------------------------------------------------------

extern const char *const months_short[12];        // "Jan" .. "Dec"
extern const char *const months_full[12];         // "January" .. "December"
extern const char *const months_short_upper[12];  // "JAN" .. "DEC" (reading)
extern const char *const months_full_upper[12];   // "JANUARY" .. "DECEMBER" (reading)
extern const char *const days_full[7];            // "Sunday" .. "Saturday"
extern const char *const days_short[7];           // "Sun" .. "Sat"
extern const char *const rm_months_upper[12];     // "I" .. "XII"
extern const char *const rm_months_lower[12];     // "i" .. "xii"
extern const char *const number_units[20];        // "ZERO" .. "NINETEEN"
extern const char *const number_tens[10];         // "", "TEN", "TWENTY" .. "NINETY"
extern const char *const era_words[4];           // "A.D.", "B.C.", "AD", "BC"
extern const char *const meridian_words[4];      // "A.M.", "P.M.", "AM", "PM"
extern const char *const number_scales[4];       // "HUNDRED", "THOUSAND", "MILLION", "BILLION"
extern const char *const number_ordinals[7][2];  // irregular ordinals: {"ONE", "FIRST"}, ...
// Cumulative days before each month (index 0..12), common and leap year.
extern const int ysum[2][13];

constexpr int kMaxMonthNameLen = 9;  // "September"
constexpr int kMaxDayNameLen = 9;    // "Wednesday"
constexpr int kMaxRomanMonthLen = 4;  // "VIII"

// ---- compiled formats ------------------------------------------------------------------------

enum NodeType : unsigned char { NODE_TYPE_END, NODE_TYPE_ACTION, NODE_TYPE_CHAR };

struct FormatNode {
    NodeType type = NODE_TYPE_END;
    const KeyWord *key = nullptr;  // NODE_TYPE_ACTION
    unsigned char character = 0;   // NODE_TYPE_CHAR
    int suffix = 0;                // DCH_S_* of this node
    int precision = 0;             // "FF1" .. "FF9": the digit, else 0
};

// One failure: an Oracle number (with an optional argument for its text's
// "%s"), or a message-only record when `message` is set.
struct DchError {
    int code = 0;
    const char *arg = nullptr;
    const char *message = nullptr;
};

constexpr const char *kDayOfYearWithoutYear = "cannot calculate day of year without year information";

// Compiles `format` for the kind and direction. 0, or -1 with *err set.
int parse_format(std::string_view format, int kind, bool reading, std::vector<FormatNode> *nodes,
                 DchError *err);

// 0 when `key` may follow the keyword nodes already in `nodes`, else the
// error number: 1810 (the same keyword again; reading: also a second keyword
// for a field already given, such as YY after YYYY or PM after AM), 1815
// (BC/AD dotted with undotted), 1814 (AM/PM dotted with undotted; reading:
// a meridian indicator with HH24).
int DuplicateNodeExists(const std::vector<FormatNode> &nodes, const KeyWord *key, bool reading);

// True when the compiled format holds a zone field (TZD, TZH, TZM, TZR).
bool hasTimeZoneInFormat(const std::vector<FormatNode> &nodes);

// ---- the walk ----------------------------------------------------------------------------------

// What the text gave while reading; *Set says whether it did.
struct TmFromChar {
    int year = 0;  // Oracle numbering (SYYYY, SYEAR may be negative)
    bool yearSet = false;
    bool bc = false;
    bool eraSet = false;
    int month = 0;
    bool monthSet = false;
    int mday = 0;
    bool mdaySet = false;
    int ddd = 0;
    bool dddSet = false;
    int julian = 0;
    bool julianSet = false;
    int hour = 0;
    bool hourSet = false;
    bool clock12 = false;
    bool pm = false;
    bool meridianSet = false;
    int minute = 0;
    bool minuteSet = false;
    int second = 0;
    bool secondSet = false;
    int sssss = 0;
    bool sssssSet = false;
    fsec_t fsec = 0;
    int tzh = 0;  // absolute hours
    bool tzNegative = false;
    bool tzhSet = false;
    int tzm = 0;
    bool tzmSet = false;
    int zoneOffset = 0;  // TZD / TZR
    bool zoneSet = false;
    bool yearAbsent = false;  // the format has a year the text did not reach
};

// Fields of the value being written, derived once per call.
struct DchWriteFields {
    int year;      // astronomical
    int yearAbs;   // Oracle year without sign (BC years positive)
    bool bc;
    int julian;
    int wday;      // 0 = Sunday
    int yday;      // 1 ..
    int isoWeek;
    int isoYearAbs;
};

// The state of one call. The flags between nodes (exact match, fill mode)
// live here and nowhere else.
struct DchCall {
    int kind = 0;
    bool reading = false;
    bool exact = false;  // FX seen
    bool fill = false;   // FM in effect
    DchError *err = nullptr;
    // writing
    const ModelValue *value = nullptr;
    DchWriteFields fields{};
    std::string *out = nullptr;
    // reading
    std::string_view text;
    size_t pos = 0;
    TmFromChar *acc = nullptr;
    int currentYear = 0;
};

// Walks the nodes over the call (writing or reading). 0, or -1 with the
// call's error set.
int DCH_processor(const std::vector<FormatNode> &nodes, DchCall *call);
// The field actions of one keyword node (both directions).
int dch_date(DchCall *call, const std::vector<FormatNode> &nodes, size_t index);
int dch_time(DchCall *call, const std::vector<FormatNode> &nodes, size_t index);
