// Oracle character-set names and their Oracle NLS ids. The library's own
// numbering is its encodings 0-40; applications that carry Oracle ids around
// can translate names through search_charsetID, and the Oracle-compatible
// mode speaks Oracle ids through the mapping at the end of this file.
#include "conn/nls.h"

#include "diag/entry.h"

namespace nls {

// Sorted by name as oci_stricmp orders them (digits before letters). The
// name ISO2022 stands for three variants and appears once for each.
constexpr OracleCharset kOracleCharsets[] = {
    {"AL16UTF16", 2000}, {"AL16UTF16LE", 2002}, {"AL24UTFFSS", 870}, {"AL32UTF8", 873},
    {"AR8ADOS710", 557}, {"AR8ADOS710T", 507}, {"AR8ADOS720", 558}, {"AR8ADOS720T", 508},
    {"AR8APTEC715", 559}, {"AR8APTEC715T", 509}, {"AR8ARABICMAC", 565}, {"AR8ARABICMACS", 566},
    {"AR8ARABICMACT", 567}, {"AR8ASMO708PLUS", 61}, {"AR8ASMO8X", 500}, {"AR8EBCDIC420S", 320},
    {"AR8EBCDICX", 70}, {"AR8HPARABIC8T", 514}, {"AR8ISO8859P6", 36}, {"AR8MSWIN1256", 560},
    {"AR8MUSSAD768", 556}, {"AR8MUSSAD768T", 506}, {"AR8NAFITHA711", 554},
    {"AR8NAFITHA711T", 504}, {"AR8NAFITHA721", 561}, {"AR8NAFITHA721T", 511},
    {"AR8SAKHR706", 563}, {"AR8SAKHR707", 555}, {"AR8SAKHR707T", 505}, {"AR8XBASIC", 72},
    {"AZ8ISO8859P9E", 52}, {"BG8MSWIN", 173}, {"BG8PC437S", 140}, {"BLT8CP921", 191},
    {"BLT8EBCDIC1112", 194}, {"BLT8EBCDIC1112S", 314}, {"BLT8ISO8859P13", 47},
    {"BLT8MSWIN1257", 179}, {"BLT8PC775", 197}, {"BN8BSCII", 43}, {"CDN8PC863", 390},
    {"CE8BS2000", 233}, {"CEL8ISO8859P14", 48}, {"CH7DEC", 19}, {"CL8BS2000", 235},
    {"CL8EBCDIC1025", 185}, {"CL8EBCDIC1025C", 322}, {"CL8EBCDIC1025R", 323},
    {"CL8EBCDIC1025S", 317}, {"CL8EBCDIC1025X", 188}, {"CL8EBCDIC1158", 325},
    {"CL8EBCDIC1158R", 326}, {"CL8ISO8859P5", 35}, {"CL8ISOIR111", 49}, {"CL8KOI8R", 196},
    {"CL8KOI8U", 51}, {"CL8MACCYRILLIC", 158}, {"CL8MACCYRILLICS", 159}, {"CL8MSWIN1251", 171},
    {"D7DEC", 11}, {"D7SIEMENS9780X", 207}, {"D8BS2000", 222}, {"D8EBCDIC1141", 189},
    {"D8EBCDIC273", 180}, {"DK7SIEMENS9780X", 204}, {"DK8BS2000", 225}, {"DK8EBCDIC1142", 198},
    {"DK8EBCDIC277", 182}, {"E7DEC", 14}, {"E7SIEMENS9780X", 202}, {"E8BS2000", 224},
    {"EE8BS2000", 232}, {"EE8EBCDIC870", 184}, {"EE8EBCDIC870C", 301}, {"EE8EBCDIC870S", 316},
    {"EE8ISO8859P2", 32}, {"EE8MACCE", 262}, {"EE8MACCES", 162}, {"EE8MACCROATIAN", 263},
    {"EE8MACCROATIANS", 163}, {"EE8MSWIN1250", 170}, {"EE8PC852", 150}, {"EEC8EUROASCI", 110},
    {"EEC8EUROPA3", 113}, {"EL8DEC", 81}, {"EL8EBCDIC423R", 327}, {"EL8EBCDIC875", 381},
    {"EL8EBCDIC875R", 324}, {"EL8EBCDIC875S", 311}, {"EL8GCOS7", 211}, {"EL8ISO8859P7", 37},
    {"EL8MACGREEK", 266}, {"EL8MACGREEKS", 166}, {"EL8MSWIN1253", 174}, {"EL8PC437S", 380},
    {"EL8PC737", 382}, {"EL8PC851", 386}, {"EL8PC869", 385}, {"ET8MSWIN923", 172},
    {"F7DEC", 12}, {"F7SIEMENS9780X", 201}, {"F8BS2000", 223}, {"F8EBCDIC1147", 208},
    {"F8EBCDIC297", 186}, {"HU8ABMOD", 401}, {"HU8CWI2", 368}, {"I7DEC", 17},
    {"I7SIEMENS9780X", 206}, {"I8EBCDIC1144", 200}, {"I8EBCDIC280", 181}, {"IN8ISCII", 25},
    {"IS8MACICELANDIC", 265}, {"IS8MACICELANDICS", 165}, {"IS8PC861", 161}, {"ISO2022", 9997},
    {"ISO2022", 9998}, {"ISO2022", 9999}, {"IW7IS960", 23}, {"IW8EBCDIC1086", 187},
    {"IW8EBCDIC424", 92}, {"IW8EBCDIC424S", 315}, {"IW8ISO8859P8", 38}, {"IW8MACHEBREW", 267},
    {"IW8MACHEBREWS", 167}, {"IW8MSWIN1255", 175}, {"IW8PC1507", 154}, {"JA16DBCS", 833},
    {"JA16DBCSFIXED", 1833}, {"JA16EBCDIC930", 835}, {"JA16EUC", 830}, {"JA16EUCFIXED", 1830},
    {"JA16EUCTILDE", 837}, {"JA16EUCYEN", 831}, {"JA16MACSJIS", 836}, {"JA16SJIS", 832},
    {"JA16SJISFIXED", 1832}, {"JA16SJISTILDE", 838}, {"JA16SJISYEN", 834}, {"JA16VMS", 829},
    {"KO16DBCS", 842}, {"KO16DBCSFIXED", 1842}, {"KO16KSC5601", 840},
    {"KO16KSC5601FIXED", 1840}, {"KO16KSCCS", 845}, {"KO16MSWIN949", 846}, {"LA8ISO6937", 590},
    {"LA8PASSPORT", 114}, {"LT8MSWIN921", 176}, {"LT8PC772", 383}, {"LT8PC774", 384},
    {"LV8PC1117", 192}, {"LV8PC8LR", 193}, {"LV8RST104090", 195}, {"N7SIEMENS9780X", 205},
    {"N8PC865", 190}, {"NDK7DEC", 16}, {"NE8ISO8859P10", 40}, {"NEE8ISO8859P4", 34},
    {"NL7DEC", 18}, {"RU8BESTA", 153}, {"RU8PC855", 155}, {"RU8PC866", 152}, {"S7DEC", 13},
    {"S7SIEMENS9780X", 203}, {"S8BS2000", 226}, {"S8EBCDIC1143", 199}, {"S8EBCDIC278", 183},
    {"SE8ISO8859P3", 33}, {"SF7ASCII", 15}, {"SF7DEC", 21}, {"TH8MACTHAI", 353},
    {"TH8MACTHAIS", 354}, {"TH8TISASCII", 41}, {"TH8TISEBCDIC", 42}, {"TH8TISEBCDICS", 319},
    {"TR7DEC", 22}, {"TR8DEC", 82}, {"TR8EBCDIC1026", 93}, {"TR8EBCDIC1026S", 312},
    {"TR8MACTURKISH", 264}, {"TR8MACTURKISHS", 164}, {"TR8MSWIN1254", 177}, {"TR8PC857", 156},
    {"US7ASCII", 1}, {"US8BS2000", 221}, {"US8ICL", 277}, {"US8PC437", 4}, {"UTF16", 1000},
    {"UTF8", 871}, {"UTFE", 872}, {"VN8MSWIN1258", 45}, {"VN8VN3", 44}, {"WE8BS2000", 231},
    {"WE8BS2000E", 230}, {"WE8BS2000L5", 239}, {"WE8DEC", 2}, {"WE8DECTST", 798},
    {"WE8DG", 241}, {"WE8EBCDIC1047", 96}, {"WE8EBCDIC1047E", 100}, {"WE8EBCDIC1140", 7},
    {"WE8EBCDIC1140C", 97}, {"WE8EBCDIC1145", 98}, {"WE8EBCDIC1146", 9}, {"WE8EBCDIC1148", 27},
    {"WE8EBCDIC1148C", 99}, {"WE8EBCDIC284", 95}, {"WE8EBCDIC285", 8}, {"WE8EBCDIC37", 5},
    {"WE8EBCDIC37C", 90}, {"WE8EBCDIC500", 6}, {"WE8EBCDIC500C", 91}, {"WE8EBCDIC871", 94},
    {"WE8EBCDIC924", 101}, {"WE8GCOS7", 210}, {"WE8HP", 3}, {"WE8ICL", 278},
    {"WE8ISO8859P1", 31}, {"WE8ISO8859P15", 46}, {"WE8ISO8859P9", 39}, {"WE8ISOICLUK", 279},
    {"WE8MACROMAN8", 351}, {"WE8MACROMAN8S", 352}, {"WE8MSWIN1252", 178}, {"WE8NCR4970", 251},
    {"WE8NEXTSTEP", 50}, {"WE8PC850", 10}, {"WE8PC858", 28}, {"WE8PC860", 160},
    {"WE8ROMAN8", 261}, {"YUG7ASCII", 20}, {"ZHS16CGB231280", 850},
    {"ZHS16CGB231280FIXED", 1850}, {"ZHS16DBCS", 853}, {"ZHS16DBCSFIXED", 1853},
    {"ZHS16GBK", 852}, {"ZHS16GBKFIXED", 1852}, {"ZHS16MACCGB231280", 851},
    {"ZHS32GB18030", 854}, {"ZHT16BIG5", 865}, {"ZHT16BIG5FIXED", 1865}, {"ZHT16CCDC", 866},
    {"ZHT16DBCS", 864}, {"ZHT16DBCSFIXED", 1864}, {"ZHT16DBT", 862}, {"ZHT16HKSCS", 868},
    {"ZHT16HKSCS31", 992}, {"ZHT16MSWIN950", 867}, {"ZHT32EUC", 860}, {"ZHT32EUCFIXED", 1860},
    {"ZHT32SOPS", 861}, {"ZHT32TRIS", 863}, {"ZHT32TRISFIXED", 1863},
};
const size_t kOracleCharsetCount = sizeof kOracleCharsets / sizeof kOracleCharsets[0];

// First entry for each initial letter A-Z (-1: no name starts with it), then
// the number of entries, which ends the last letter's run.
constexpr int kOracleCharsetIndex[27] = {
    0,   31,  40,  59,  68,  99,  -1,  104, 106, 126, 139, 145, -1, 153,
    -1,  -1,  -1,  159, 162, 170, 183, 190, 192, -1,  230, 231, 253,
};

namespace {
constexpr int Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : static_cast<unsigned char>(c);
}

constexpr int ConstStricmp(const char *a, const char *b) {
    while (*a != '\0' && Fold(*a) == Fold(*b)) {
        ++a;
        ++b;
    }
    return Fold(*a) - Fold(*b);
}

constexpr size_t kCount = sizeof kOracleCharsets / sizeof kOracleCharsets[0];

constexpr bool TableSorted() {
    for (size_t i = 1; i < kCount; ++i)
        if (ConstStricmp(kOracleCharsets[i - 1].name, kOracleCharsets[i].name) > 0) return false;
    return true;
}

// Each letter's run starts where the index says and nowhere else.
constexpr bool IndexMatchesTable() {
    if (kOracleCharsetIndex[26] != static_cast<int>(kCount)) return false;
    size_t entry = 0;
    for (int letter = 0; letter < 26; ++letter) {
        const char upper = static_cast<char>('A' + letter);
        const int start = kOracleCharsetIndex[letter];
        const bool present = entry < kCount && kOracleCharsets[entry].name[0] == upper;
        if (!present) {
            if (start != -1) return false;
            continue;
        }
        if (start != static_cast<int>(entry)) return false;
        while (entry < kCount && kOracleCharsets[entry].name[0] == upper) ++entry;
    }
    return entry == kCount;
}

static_assert(TableSorted(), "the Oracle names are binary searched");
static_assert(IndexMatchesTable(), "the letter index must match the table");

// End of the run of `letter` (0-25): the next letter that has names, or the
// end of the table.
int RunEnd(int letter) {
    for (int next = letter + 1; next < 26; ++next)
        if (kOracleCharsetIndex[next] >= 0) return kOracleCharsetIndex[next];
    return kOracleCharsetIndex[26];
}
}  // namespace
}  // namespace nls

OCI_EXPORT ub2 search_charsetID(const char *name) {
    using namespace nls;
    if (name == nullptr) return 0;
    const int letter = Fold(name[0]) - 'a';
    if (letter < 0 || letter >= 26) return 0;  // names start with an ASCII letter
    int lo = kOracleCharsetIndex[letter];
    if (lo < 0) return 0;
    int hi = RunEnd(letter);
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const int cmp = oci_stricmp(name, kOracleCharsets[mid].name);
        if (cmp == 0) return kOracleCharsets[mid].id;
        if (cmp < 0) hi = mid;
        else lo = mid + 1;
    }
    return 0;
}

namespace nls {

namespace {
// Oracle ids and the encoding holding the same characters. Where several
// Oracle sets share an encoding, the first listed is the one an encoding is
// reported as. UTF-16 here is the client's byte order (little-endian), the
// only UTF-16 the library's environments speak.
struct OracleEncoding {
    ub2 id;
    int encoding;
};
constexpr OracleEncoding kOracleEncodings[] = {
    {873, ENC_UTF8},  {871, ENC_UTF8},  {1, ENC_SQL_ASCII}, {1000, ENC_UTF16LE}, {2000, ENC_UTF16LE},
    {2002, ENC_UTF16LE},
    {830, 1},    {837, 1},    {831, 1},      // JA16EUC, JA16EUCTILDE, JA16EUCYEN -> EUC_JP
    {850, 2},                                // ZHS16CGB231280 -> EUC_CN
    {840, 3},                                // KO16KSC5601 -> EUC_KR
    {860, 4},                                // ZHT32EUC -> EUC_TW
    {31, 8},     {32, 9},     {33, 10},     {34, 11},   // WE8/EE8/SE8/NEE8 ISO8859P1-P4 -> LATIN1-4
    {39, 12},    {40, 13},    {47, 14},     {48, 15},   // P9, P10, P13, P14 -> LATIN5-8
    {46, 16},                                // WE8ISO8859P15 -> LATIN9
    {560, 18},   {45, 19},    {152, 20},    {41, 21},   // MSWIN1256, MSWIN1258, PC866, TIS -> 874
    {196, 22},   {171, 23},   {178, 24},                // KOI8R, MSWIN1251, MSWIN1252
    {35, 25},    {36, 26},    {37, 27},     {38, 28},   // ISO8859P5-P8
    {170, 29},   {174, 30},   {177, 31},    {175, 32},  {179, 33},  // MSWIN1250, 1253, 1254, 1255, 1257
    {832, 34},   {838, 34},                 // JA16SJIS, JA16SJISTILDE -> SJIS
    {865, 35},   {867, 35},                 // ZHT16BIG5, ZHT16MSWIN950 -> BIG5
    {852, 36},                              // ZHS16GBK -> GBK
    {846, 37},                              // KO16MSWIN949 -> UHC
    {854, 38},                              // ZHS32GB18030 -> GB18030
};
}  // namespace

int EncodingOfOracleId(ub2 id) {
    for (const OracleEncoding &e : kOracleEncodings)
        if (e.id == id) return e.encoding;
    return -1;
}

ub2 OracleIdOfEncoding(int encoding) {
    // UTF-16 environments are reported the way Oracle's client names its
    // own UTF-16 (OCI_UTF16ID), whatever the byte order.
    if (encoding == ENC_UTF16BE) encoding = ENC_UTF16LE;
    for (const OracleEncoding &e : kOracleEncodings)
        if (e.encoding == encoding) return e.id;
    return 0;
}

const char *OracleNameOfId(ub2 id) {
    for (size_t i = 0; i < kOracleCharsetCount; i++)
        if (kOracleCharsets[i].id == id) return kOracleCharsets[i].name;
    return "";
}

int EncodingOfOracleName(const char *name) {
    const ub2 id = search_charsetID(name);
    return id != 0 ? EncodingOfOracleId(id) : -1;
}

}  // namespace nls
