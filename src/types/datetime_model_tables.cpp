// The tables of the datetime format models: keywords and their index by first
// character, the prefix and postfix suffixes, and the names read and written.
#include "types/datetime_model_internal.h"

// ---- keywords ------------------------------------------------------------------------------

const KeyWord DCH_keywords[DCH_KEYWORD_COUNT] = {
    {"A.D.", 4, DCH_ACT_DATE, DCH_A_D, false},
    {"A.M.", 4, DCH_ACT_TIME, DCH_A_M, false},
    {"AD", 2, DCH_ACT_DATE, DCH_AD, false},
    {"AM", 2, DCH_ACT_TIME, DCH_AM, false},
    {"B.C.", 4, DCH_ACT_DATE, DCH_B_C, false},
    {"BC", 2, DCH_ACT_DATE, DCH_BC, false},
    {"CC", 2, DCH_ACT_DATE, DCH_CC, true},
    {"DAY", 3, DCH_ACT_DATE, DCH_DAY, false},
    {"DDD", 3, DCH_ACT_DATE, DCH_DDD, true},
    {"DD", 2, DCH_ACT_DATE, DCH_DD, true},
    {"DL", 2, DCH_ACT_EXPAND, DCH_DL, false},
    {"DS", 2, DCH_ACT_EXPAND, DCH_DS, false},
    {"DY", 2, DCH_ACT_DATE, DCH_DY, false},
    {"Day", 3, DCH_ACT_DATE, DCH_Day, false},
    {"Dy", 2, DCH_ACT_DATE, DCH_Dy, false},
    {"D", 1, DCH_ACT_DATE, DCH_D, true},
    {"EE", 2, DCH_ACT_DATE, DCH_EE, false},
    {"E", 1, DCH_ACT_DATE, DCH_E, false},
    {"FF", 2, DCH_ACT_DATE, DCH_FF, true},
    {"FX", 2, DCH_ACT_FLAG, DCH_FX, false},
    {"HH24", 4, DCH_ACT_TIME, DCH_HH24, true},
    {"HH12", 4, DCH_ACT_TIME, DCH_HH12, true},
    {"HH", 2, DCH_ACT_TIME, DCH_HH, true},
    {"IW", 2, DCH_ACT_DATE, DCH_IW, true},
    {"IYYY", 4, DCH_ACT_DATE, DCH_IYYY, true},
    {"IYY", 3, DCH_ACT_DATE, DCH_IYY, true},
    {"IY", 2, DCH_ACT_DATE, DCH_IY, true},
    {"I", 1, DCH_ACT_DATE, DCH_I, true},
    {"J", 1, DCH_ACT_DATE, DCH_J, true},
    {"MI", 2, DCH_ACT_TIME, DCH_MI, true},
    {"MM", 2, DCH_ACT_DATE, DCH_MM, true},
    {"MONTH", 5, DCH_ACT_DATE, DCH_MONTH, false},
    {"MON", 3, DCH_ACT_DATE, DCH_MON, false},
    {"MS", 2, DCH_ACT_TIME, DCH_MS, true},
    {"Month", 5, DCH_ACT_DATE, DCH_Month, false},
    {"Mon", 3, DCH_ACT_DATE, DCH_Mon, false},
    {"P.M.", 4, DCH_ACT_TIME, DCH_P_M, false},
    {"PM", 2, DCH_ACT_TIME, DCH_PM, false},
    {"Q", 1, DCH_ACT_DATE, DCH_Q, true},
    {"RM", 2, DCH_ACT_DATE, DCH_RM, false},
    {"RRRR", 4, DCH_ACT_DATE, DCH_RRRR, true},
    {"RR", 2, DCH_ACT_DATE, DCH_RR, true},
    {"SCC", 3, DCH_ACT_DATE, DCH_SCC, true},
    {"SSSSS", 5, DCH_ACT_TIME, DCH_SSSSS, true},
    {"SS", 2, DCH_ACT_TIME, DCH_SS, true},
    {"SYEAR", 5, DCH_ACT_DATE, DCH_SYEAR, false},
    {"SYYYY", 5, DCH_ACT_DATE, DCH_SYYYY, true},
    {"TS", 2, DCH_ACT_EXPAND, DCH_TS, false},
    {"TZD", 3, DCH_ACT_TIME, DCH_TZD, false},
    {"TZH", 3, DCH_ACT_TIME, DCH_TZH, true},
    {"TZM", 3, DCH_ACT_TIME, DCH_TZM, true},
    {"TZR", 3, DCH_ACT_TIME, DCH_TZR, false},
    {"US", 2, DCH_ACT_TIME, DCH_US, true},
    {"WW", 2, DCH_ACT_DATE, DCH_WW, true},
    {"W", 1, DCH_ACT_DATE, DCH_W, true},
    {"X", 1, DCH_ACT_TIME, DCH_X, false},
    {"Y,YYY", 5, DCH_ACT_DATE, DCH_Y_YYY, true},
    {"YEAR", 4, DCH_ACT_DATE, DCH_YEAR, false},
    {"YYYY", 4, DCH_ACT_DATE, DCH_YYYY, true},
    {"YYY", 3, DCH_ACT_DATE, DCH_YYY, true},
    {"YY", 2, DCH_ACT_DATE, DCH_YY, true},
    {"Y", 1, DCH_ACT_DATE, DCH_Y, true},
    {"a.d.", 4, DCH_ACT_DATE, DCH_a_d, false},
    {"a.m.", 4, DCH_ACT_TIME, DCH_a_m, false},
    {"ad", 2, DCH_ACT_DATE, DCH_ad, false},
    {"am", 2, DCH_ACT_TIME, DCH_am, false},
    {"b.c.", 4, DCH_ACT_DATE, DCH_b_c, false},
    {"bc", 2, DCH_ACT_DATE, DCH_bc, false},
    {"cc", 2, DCH_ACT_DATE, DCH_CC, true},
    {"day", 3, DCH_ACT_DATE, DCH_day, false},
    {"ddd", 3, DCH_ACT_DATE, DCH_DDD, true},
    {"dd", 2, DCH_ACT_DATE, DCH_DD, true},
    {"dy", 2, DCH_ACT_DATE, DCH_dy, false},
    {"d", 1, DCH_ACT_DATE, DCH_D, true},
    {"fx", 2, DCH_ACT_FLAG, DCH_FX, false},
    {"hh24", 4, DCH_ACT_TIME, DCH_HH24, true},
    {"hh12", 4, DCH_ACT_TIME, DCH_HH12, true},
    {"hh", 2, DCH_ACT_TIME, DCH_HH, true},
    {"iw", 2, DCH_ACT_DATE, DCH_IW, true},
    {"iyyy", 4, DCH_ACT_DATE, DCH_IYYY, true},
    {"iyy", 3, DCH_ACT_DATE, DCH_IYY, true},
    {"iy", 2, DCH_ACT_DATE, DCH_IY, true},
    {"i", 1, DCH_ACT_DATE, DCH_I, true},
    {"j", 1, DCH_ACT_DATE, DCH_J, true},
    {"mi", 2, DCH_ACT_TIME, DCH_MI, true},
    {"mm", 2, DCH_ACT_DATE, DCH_MM, true},
    {"month", 5, DCH_ACT_DATE, DCH_month, false},
    {"mon", 3, DCH_ACT_DATE, DCH_mon, false},
    {"ms", 2, DCH_ACT_TIME, DCH_MS, true},
    {"p.m.", 4, DCH_ACT_TIME, DCH_p_m, false},
    {"pm", 2, DCH_ACT_TIME, DCH_pm, false},
    {"q", 1, DCH_ACT_DATE, DCH_Q, true},
    {"rm", 2, DCH_ACT_DATE, DCH_rm, false},
    {"sssss", 5, DCH_ACT_TIME, DCH_SSSSS, true},
    {"ss", 2, DCH_ACT_TIME, DCH_SS, true},
    {"us", 2, DCH_ACT_TIME, DCH_US, true},
    {"ww", 2, DCH_ACT_DATE, DCH_WW, true},
    {"w", 1, DCH_ACT_DATE, DCH_W, true},
    {"y,yyy", 5, DCH_ACT_DATE, DCH_Y_YYY, true},
    {"yyyy", 4, DCH_ACT_DATE, DCH_YYYY, true},
    {"yyy", 3, DCH_ACT_DATE, DCH_YYY, true},
    {"yy", 2, DCH_ACT_DATE, DCH_YY, true},
    {"y", 1, DCH_ACT_DATE, DCH_Y, true},
};

// DCH_index[c - ' ']: the first row of DCH_keywords whose name starts with c.
const int DCH_index[KeyWord_INDEX_SIZE] = {
    /*  ' ' .. '/' */ -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    /*  '0' .. '?' */ -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    /*  '@' .. 'O' */ -1, 0, 4, 6, 7, 16, 18, -1, 20, 23, 28, -1, -1, 29, -1, -1,
    /*  'P' .. '_' */ 36, 38, 39, 42, 47, 52, -1, 53, 55, 56, -1, -1, -1, -1, -1, -1,
    /*  '`' .. 'o' */ -1, 62, 66, 68, 69, -1, 74, -1, 75, 78, 83, -1, -1, 84, -1, -1,
    /*  'p' .. '}' */ 89, 91, 92, 93, -1, 95, -1, 96, -1, 98, -1, -1, -1, -1,
};

// ---- suffixes ------------------------------------------------------------------------------

const KeySuffix DCH_suff[DCH_SUFF_COUNT] = {
    {"FM", 2, DCH_S_FM, SUFFTYPE_PREFIX}, {"fm", 2, DCH_S_FM, SUFFTYPE_PREFIX},
    {"TM", 2, DCH_S_TM, SUFFTYPE_PREFIX}, {"tm", 2, DCH_S_TM, SUFFTYPE_PREFIX},
    {"TH", 2, DCH_S_TH, SUFFTYPE_POSTFIX}, {"th", 2, DCH_S_th, SUFFTYPE_POSTFIX},
    {"SP", 2, DCH_S_SP, SUFFTYPE_POSTFIX},
};

// ---- names ---------------------------------------------------------------------------------

const char *const months_short[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char *const months_full[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char *const months_short_upper[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char *const months_full_upper[12] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                           "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
const char *const days_full[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char *const days_short[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char *const rm_months_upper[12] = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X", "XI", "XII"};
const char *const rm_months_lower[12] = {"i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix", "x", "xi", "xii"};

const char *const number_units[20] = {"ZERO",    "ONE",     "TWO",       "THREE",    "FOUR",
                                      "FIVE",    "SIX",     "SEVEN",     "EIGHT",    "NINE",
                                      "TEN",     "ELEVEN",  "TWELVE",    "THIRTEEN", "FOURTEEN",
                                      "FIFTEEN", "SIXTEEN", "SEVENTEEN", "EIGHTEEN", "NINETEEN"};
const char *const number_tens[10] = {"",      "TEN",   "TWENTY",  "THIRTY", "FORTY",
                                     "FIFTY", "SIXTY", "SEVENTY", "EIGHTY", "NINETY"};

const int ysum[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                         {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};

// Words of the indicators, longest first within each spelling.
const char *const era_words[4] = {"A.D.", "B.C.", "AD", "BC"};
const char *const meridian_words[4] = {"A.M.", "P.M.", "AM", "PM"};

// Spelled numbers: the scale words, and the cardinal words whose ordinal is
// not formed by appending "TH" (words ending in "Y" take "IETH").
const char *const number_scales[4] = {"HUNDRED", "THOUSAND", "MILLION", "BILLION"};
const char *const number_ordinals[7][2] = {{"ONE", "FIRST"}, {"TWO", "SECOND"}, {"THREE", "THIRD"},
                                           {"FIVE", "FIFTH"}, {"EIGHT", "EIGHTH"}, {"NINE", "NINTH"},
                                           {"TWELVE", "TWELFTH"}};
