// The message catalogue: every error number the library raises and its text.
// Texts are looked up by exact number and passed through gettext in the
// "tavoci" text domain.
#include "diag/catalogue.h"

#include <libintl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {
struct CatalogueEntry {
    ub4 errcode;
    const char *text;
};

// Sorted by number; a unit test checks the order and the count.
constexpr CatalogueEntry kCatalogue[] = {
    {1, O2P_ERROR_PREFIX "00001: unique constraint (%s.%s) violated"},
    {3, O2P_ERROR_PREFIX "00003: Message 3 not found;  product=Halvane_Server; facility=TAV"},
    {4, O2P_ERROR_PREFIX "00004: Message 4 not found;  product=Halvane_Server; facility=TAV"},
    {12, O2P_ERROR_PREFIX "00012: Message 12 not found;  product=Halvane_Server; facility=TAV"},
    {54, "resource busy - lock timeout"},
    {60, O2P_ERROR_PREFIX "00060: peadlock detected"},
    {64, O2P_ERROR_PREFIX "00064: not enough space to allocate object (%s,%s)"},
    {100, O2P_ERROR_PREFIX "00100: data not found"},
    {256, O2P_ERROR_PREFIX "00256: destination cannot be translated - %s %s"},
    {932, O2P_ERROR_PREFIX "00932: data types not consistent - expected %s got %s"},
    {942, O2P_ERROR_PREFIX "00942: table or view does not exist"},
    {955, "name is already used by an existing object"},
    {1001, "invalid cursor"},
    {1002, O2P_ERROR_PREFIX "01002: out of sequence fetch"},
    {1009, O2P_ERROR_PREFIX "01009: mandatory parameter absent"},
    {1017, O2P_ERROR_PREFIX "01017: invalid username/password- logon denied"},
    {1024, O2P_ERROR_PREFIX "01024: data type invalid in call"},
    {1041, O2P_ERROR_PREFIX "01041: host definition extension not found"},
    {1084, O2P_ERROR_PREFIX "01084: invalid argument in call"},
    {1312, O2P_ERROR_PREFIX "01312: table and/or column not found"},
    {1400, O2P_ERROR_PREFIX "01400: null value not allowed"},
    {1401, O2P_ERROR_PREFIX "01401: value is out of range for column"},
    {1402, "view WITH CHECK OPTION where-clause violation"},
    {1403, O2P_ERROR_PREFIX "01403: no data found"},
    {1405, O2P_ERROR_PREFIX "01405: null returned"},
    {1406, O2P_ERROR_PREFIX "01406: fetched value truncated"},
    {1418, O2P_ERROR_PREFIX "01418: specified index does not exist"},
    {1422, "exact fetch returns more than requested number of rows"},
    {1424, O2P_ERROR_PREFIX "01424: illegal or missing character following the escape character"},
    {1425, O2P_ERROR_PREFIX "01425: escape character must be character string of length 1"},
    {1426, O2P_ERROR_PREFIX "01426: numeric overflow"},
    {1427, O2P_ERROR_PREFIX "01427: single-row subquery returns more than one row"},
    {1430, O2P_ERROR_PREFIX "01430: duplicate column found"},
    {1453, O2P_ERROR_PREFIX "01453: error in transaction"},
    {1458, O2P_ERROR_PREFIX "01458: variable character string has invalid length"},
    {1459, O2P_ERROR_PREFIX "01459: variable character string has invalid length"},
    {1460, O2P_ERROR_PREFIX "01460: illegal conversion requested"},
    {1465, O2P_ERROR_PREFIX "01465: hexadecimal number invalid"},
    {1476, O2P_ERROR_PREFIX "01476: division by zero"},
    {1480, O2P_ERROR_PREFIX "01480: STR bind value missing null"},
    {1555, "snapshot too old"},
    {1654, O2P_ERROR_PREFIX "01654: unable to extend index"},
    {1722, O2P_ERROR_PREFIX "01722: number invalid"},
    {1800, "a literal in the date format was too large to process"},
    {1810, O2P_ERROR_PREFIX "01810: format code appears twice"},
    {1814, O2P_ERROR_PREFIX "01814: illegal use of AM/PM"},
    {1815, O2P_ERROR_PREFIX "01815: illegal use of BC/AD"},
    {1820, O2P_ERROR_PREFIX "01820: illegal date input format"},
    {1821, O2P_ERROR_PREFIX "01821: illegal date format"},
    {1822, O2P_ERROR_PREFIX "01822: illegal era format"},
    {1830, O2P_ERROR_PREFIX "01830: illegal date format picture"},
    {1839, O2P_ERROR_PREFIX "01839: invalid date"},
    {1840, O2P_ERROR_PREFIX "01840: date format too long for input data"},
    {1841, O2P_ERROR_PREFIX "01841: illegal year - must be between -4713 and +9999, and non-zero"},
    {1843, O2P_ERROR_PREFIX "01843: invalid month"},
    {1846, O2P_ERROR_PREFIX "01846: invalid day of the week"},
    {1847, O2P_ERROR_PREFIX "01847: invalid day of month"},
    {1849, O2P_ERROR_PREFIX "01849: invalid hour - must be between 1 and 12"},
    {1850, O2P_ERROR_PREFIX "01850: invalid hour - must be between 0 and 23"},
    {1851, O2P_ERROR_PREFIX "01851: invalid minutes - must be between 0 and 59"},
    {1852, O2P_ERROR_PREFIX "01852: invalid seconds - must be between 0 and 59"},
    {1853, O2P_ERROR_PREFIX "01853: invalid seconds - must be between 0 and 86399"},
    {1855, O2P_ERROR_PREFIX "01855: AM/PM required"},
    {1856, O2P_ERROR_PREFIX "01856: BC/AD required"},
    {1858, O2P_ERROR_PREFIX "01858: character must be numeric"},
    {1861, O2P_ERROR_PREFIX "01861: illegal literal for format %s"},
    {1866, O2P_ERROR_PREFIX "01866: invalid datetime class"},
    {1870, O2P_ERROR_PREFIX "01870: the intervals or datetimes are not comparable"},
    {1874, O2P_ERROR_PREFIX "01874: invalid time zone hour - must be between -12 and 14"},
    {1875, O2P_ERROR_PREFIX "01875: invalid time zone minute - must be between -59 and 59"},
    {1878, O2P_ERROR_PREFIX "01878: field missing from datetime or interval"},
    {1891, O2P_ERROR_PREFIX "01891: internal datetime or interval error"},
    {2112, O2P_ERROR_PREFIX "2112: returns too many rows"},
    {2429, O2P_ERROR_PREFIX "02429: cannot drop index used for enforcement of unique/primary key"},
    {2437, O2P_ERROR_PREFIX "02437: primary key violation"},
    {3001, O2P_ERROR_PREFIX "03001: unsupported feature"},
    {3110, O2P_ERROR_PREFIX "03110: unsupported feature"},
    {3113, O2P_ERROR_PREFIX "03113: end-of-file on communication channel"},
    {3114, O2P_ERROR_PREFIX "03114: not connected to ORACLE"},
    {3131, O2P_ERROR_PREFIX "03131: invalid buffer"},
    {4043, O2P_ERROR_PREFIX "04043: object %s does not exist"},
    {8207, O2P_ERROR_PREFIX "08207: ora_addr: address file cannot be opened"},
    {9216, O2P_ERROR_PREFIX "09216: sdnfy: illegal value '%s' for parameter '%s'"},
    {12154, O2P_ERROR_PREFIX "12154: TNS:could not resolve the connect identifier specified \n"},
    {12227, O2P_ERROR_PREFIX "12227: syntax error"},
    {12541, O2P_ERROR_PREFIX "12541: no listener"},
    {12545, O2P_ERROR_PREFIX "12545: connect failed because target host or object does not exist"},
    {12555, O2P_ERROR_PREFIX "12555: permission denied"},
    {13117, O2P_ERROR_PREFIX "13117: table does not exist"},
    {13780, O2P_ERROR_PREFIX "13780: no SQL statement found"},
    {16384, O2P_ERROR_PREFIX "16384: Message 16384 not found;  product=Halvane_Server; facility=TAV"},
    {16506, O2P_ERROR_PREFIX "16506: no more memory"},
    {16530, O2P_ERROR_PREFIX "16530: buffer or length invalid"},
    {16945, O2P_ERROR_PREFIX "16945: syntax error"},
    {16952, O2P_ERROR_PREFIX "16952: Cannot bind SQL statement"},
    {21301, O2P_ERROR_PREFIX "21301: incorrect initialization mode"},
    {21560, O2P_ERROR_PREFIX "21560: null, invalid, or out of range argument %s"},
    {22053, O2P_ERROR_PREFIX "22053: overflow error"},
    {22054, O2P_ERROR_PREFIX "22054: underflow error"},
    {22061, O2P_ERROR_PREFIX "22061: Format text not valid [%s]\n"},
    {22062, O2P_ERROR_PREFIX "22062: Input string not valid [%s]\n"},
    {22065, O2P_ERROR_PREFIX "22065: Invalid format for number to text translation \n"},
    {24300, O2P_ERROR_PREFIX "24300: illegal mode or non-zero iters used with OCI_DESCRIBE_ONLY"},
    {24305, O2P_ERROR_PREFIX "24305: bind or define error"},
    {24309, O2P_ERROR_PREFIX "24309: connection already established"},
    {24314, O2P_ERROR_PREFIX "24314: uninitialized service handle"},
    {24315, O2P_ERROR_PREFIX "24315: attribute is invalid"},
    {24316, O2P_ERROR_PREFIX "24316: handle is invalid"},
    {24319, O2P_ERROR_PREFIX "24319: memory allocation error"},
    {24320, O2P_ERROR_PREFIX "24320: mutex initialization error"},
    {24324, O2P_ERROR_PREFIX "24324: service handle initialization error"},
    {24328, O2P_ERROR_PREFIX "24328: attribute value is invalid"},
    {24330, O2P_ERROR_PREFIX "24330: internal error occurred"},
    {24332, O2P_ERROR_PREFIX "24332: object type is illegal"},
    {24333, O2P_ERROR_PREFIX "24333: iteration count is zero"},
    {24334, O2P_ERROR_PREFIX "24334: missing descriptor for position"},
    {24337, O2P_ERROR_PREFIX "24337: unprepared statement handle"},
    {24338, O2P_ERROR_PREFIX "24338: unexecuted statement handle"},
    {24343, O2P_ERROR_PREFIX "24343: callback error"},
    {24370, O2P_ERROR_PREFIX "24370: piecewise operation is invalid"},
    {24373, O2P_ERROR_PREFIX "24373: statement length is invalid"},
    {24374, O2P_ERROR_PREFIX "24374: define not available to execute or fetch"},
    {24391, O2P_ERROR_PREFIX "24391: fetch operation is illegal"},
    {24416, O2P_ERROR_PREFIX "24416: Invalid session Poolname was specified."},
    {24418, O2P_ERROR_PREFIX "24418: Cannot open further sessions."},
    {24421, O2P_ERROR_PREFIX "24421: cannot release session with OCISessionRelease"},
    {24431, O2P_ERROR_PREFIX "24431: non-existent statement in cache"},
    {24432, O2P_ERROR_PREFIX "24432: untagged statement returned"},
    {24434, O2P_ERROR_PREFIX "24434: cannot call OCIStmtRelease before OCIStmtPrepare2"},
    {24436, O2P_ERROR_PREFIX "24436: statement handle error"},
    {24750, O2P_ERROR_PREFIX "24750: attribute size error"},
    {24755, O2P_ERROR_PREFIX "24755: unsupported option - OCI_TRANS_NOMIGRATE, OCI_TRANS_JOIN, OCI_TRANS_RESUME, OCI_TRANS_SEPARABLE, OCI_TRANS_LOOSE, OCI_TRANS_TIGHT"},
    {24759, O2P_ERROR_PREFIX "24759: transaction start error"},
    {24760, O2P_ERROR_PREFIX "24760: isolation level error"},
    {24762, O2P_ERROR_PREFIX "24762: server failure"},
    {24771, O2P_ERROR_PREFIX "24771: local transaction error"},
    {24773, O2P_ERROR_PREFIX "24773: transaction type error"},
    {25407, O2P_ERROR_PREFIX "25407: connection terminated"},
    {27102, O2P_ERROR_PREFIX "27102: memory error"},
    {28553, O2P_ERROR_PREFIX "28553: bind variable error"},
    {30001, O2P_ERROR_PREFIX "30001: trim Error"},
    {30135, O2P_ERROR_PREFIX "30135: failed OCI Thread operation"},
    {30150, O2P_ERROR_PREFIX "30150: invalid argument in OCIFile function"},
    {30151, O2P_ERROR_PREFIX "30151: file already found"},
    {30152, O2P_ERROR_PREFIX "30152: file not found"},
    {30153, O2P_ERROR_PREFIX "30153: illegal file passed to the OCIFile function"},
    {30154, O2P_ERROR_PREFIX "30154: illegal address given for OCIFileRead/Write"},
    {30155, O2P_ERROR_PREFIX "30155: OCIFile I/O error"},
    {30156, O2P_ERROR_PREFIX "30156: disk space error"},
    {30157, O2P_ERROR_PREFIX "30157: operating system call error"},
    {30158, O2P_ERROR_PREFIX "30158: file maximum exceeded"},
    {30159, O2P_ERROR_PREFIX "30159: create or open error on file"},
    {30160, O2P_ERROR_PREFIX "30160: file access error"},
    {30161, O2P_ERROR_PREFIX "30161: OCIFile system error"},
    {30162, O2P_ERROR_PREFIX "30162: uninitialized context"},
    {30475, O2P_ERROR_PREFIX "30475: unsupported feature: %s"},
    {48209, O2P_ERROR_PREFIX "48209: table already exists"},
    {82100, "out of memory"},
};

constexpr const char kTextDomain[] = "tavoci";
constexpr const char kUnknownErrorCode[] = "UNKNOWN ERROR CODE";

std::atomic<bool> textDomainReady{false};
}  // namespace

const char *o2pRawErrorText(ub4 errcode) {
    auto it = std::lower_bound(std::begin(kCatalogue), std::end(kCatalogue), errcode,
                               [](const CatalogueEntry &e, ub4 n) { return e.errcode < n; });
    if (it == std::end(kCatalogue) || it->errcode != errcode) return nullptr;
    return it->text;
}

int o2pErrorCatalogueSize() { return static_cast<int>(std::size(kCatalogue)); }

const char *oci_gettext(const char *msgid) { return dcgettext(nullptr, msgid, LC_MESSAGES); }

const char *o2pGetErrorText(ub4 errcode) {
    const char *raw = o2pRawErrorText(errcode);
    return oci_gettext(raw != nullptr ? raw : kUnknownErrorCode);
}

void SetNlsMessagesPath() {
    if (textDomainReady.exchange(true)) return;
    char dir[1024] = "";
    if (const char *env = std::getenv("TAVLOCALEDIR")) {
        std::strncat(dir, env, sizeof dir - 1);
    } else {
        struct stat st;
        if (stat("/usr/share/locale", &st) == 0 && S_ISDIR(st.st_mode))
            std::strcpy(dir, "/usr/share/locale");
    }
    bindtextdomain(kTextDomain, dir);
    textdomain(kTextDomain);
}
