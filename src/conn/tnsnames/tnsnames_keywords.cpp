// Keyword table of the descriptor-file scanner.
#include <cstring>

#include "conn/tnsnames/tnsnames_nodes.h"
#include "env/keywords.h"
#include "tnsnames_gram.hpp"

// Strict ascending byte order: ScanKeywordLookup searches it by halves.
const ScanKeyword ScanKeywords[] = {
    {"address", ADDRESS},
    {"address_list", ADDRESS_LIST},
    {"backup", BACKUP},
    {"basic", BASIC},
    {"community", COMMUNITY},
    {"connect_data", CONNECT_DATA},
    {"decnet", DECNET},
    {"dedicated", DEDICATED},
    {"delay", DELAY},
    {"description", DESCRIPTION},
    {"description_list", DESCRIPTION_LIST},
    {"failover", FAILOVER},
    {"failover_mode", FAILOVER_MODE},
    {"false", FALSE_P},
    {"global_name", GLOBAL_NAME},
    {"host", HOST},
    {"hs", HS},
    {"instance_name", INSTANCE_NAME},
    {"ipc", IPC},
    {"key", KEY},
    {"load_balance", LOAD_BALANCE},
    {"method", METHOD},
    {"no", NO},
    {"node", NODE},
    {"none", NONE},
    {"object", OBJECT},
    {"off", OFF},
    {"ok", OK},
    {"on", ON},
    {"port", PORT},
    {"preconnect", PRECONNECT},
    {"presentation", PRESENTATION},
    {"protocol", PROTOCOL},
    {"rdb_database", RDB_DATABASE},
    {"recv_buf_size", RECV_BUF_SIZE},
    {"retries", RETRIES},
    {"sdu", SDU},
    {"security", SECURITY},
    {"select", SELECT},
    {"send_buf_size", SEND_BUF_SIZE},
    {"server", SERVER},
    {"service_name", SERVICE_NAME},
    {"session", SESSION},
    {"shared", SHARED},
    {"sid", SID},
    {"source_route", SOURCE_ROUTE},
    {"ssl_server_cert_dn", SSL_SERVER_CERT_DN},
    {"tcp", TCP},
    {"true", TRUE_P},
    {"type", TYPE},
    {"type_of_service", TYPE_OF_SERVICE},
    {"yes", YES},
};
const int NumScanKeywords = static_cast<int>(sizeof ScanKeywords / sizeof ScanKeywords[0]);

const ScanKeyword *ScanKeywordLookup(const char *word) { return LookupKeyword(ScanKeywords, NumScanKeywords, word); }
