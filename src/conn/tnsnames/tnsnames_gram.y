/*
 * Grammar of tnsnames.ora descriptor files. Everything is checked for syntax;
 * only hosts, ports and SIDs are kept (see tnsnames_nodes.h for the records).
 * Left recursion throughout keeps the parser stack flat however long a list.
 */
%define api.prefix {tnsnames}
%define parse.error verbose
/* Look-ahead correction: the "expecting" lists of the syntax messages name
 * exactly the tokens that would have been accepted. */
%define parse.lac full
%expect 0

%code requires {
#include "conn/tnsnames/tnsnames_nodes.h"
}

%code {
#include "diag/trace.h"
#include "env/memory.h"

int tnsnameslex(void);
void tnsnameserror(const char *message);
}

%union {
    char *str;
    int ival;
    OCINode *node;
    List *list;
}

/* Token codes are part of the published layout of this reader; pin them.
 * Recent bison calls the end of input "end of file" in its messages; the
 * messages of this reader have always named it $end. */
%token END_OF_INPUT 0 "$end"
%token <str> IDENT 258 INET_IP 259 SCONST 260
%token <ival> INTEGER 261
%token ADDRESS 262 ADDRESS_LIST 263 BACKUP 264 BASIC 265 COMMUNITY 266
%token CONNECT_DATA 267 DECNET 268 DEDICATED 269 DELAY 270 DESCRIPTION 271
%token DESCRIPTION_LIST 272 FAILOVER 273 FAILOVER_MODE 274 FALSE_P 275
%token GLOBAL_NAME 276 HOST 277 HS 278 INSTANCE_NAME 279 IPC 280 KEY 281
%token LOAD_BALANCE 282 METHOD 283 NO 284 NODE 285 NONE 286 OBJECT 287 OFF 288
%token OK 289 ON 290 PORT 291 PRECONNECT 292 PRESENTATION 293 PROTOCOL 294
%token RDB_DATABASE 295 RECV_BUF_SIZE 296 RETRIES 297 SDU 298 SECURITY 299
%token SELECT 300 SEND_BUF_SIZE 301 SERVER 302 SERVICE_NAME 303 SESSION 304
%token SHARED 305 SID 306 SOURCE_ROUTE 307 SSL_SERVER_CERT_DN 308 TCP 309
%token TRUE_P 310 TYPE 311 TYPE_OF_SERVICE 312 YES 313
/* Punctuation the scanner returns but no rule accepts; declared so that a
 * syntax message names the character rather than an anonymous token. */
%token '%' '*' '+' ',' '/' ':' ';' '<' '>' '[' ']' '^' '-' '.'

%type <list> tns_name_entries
%type <node> tns_name_entry description_list_entry description_entries
%type <node> description_entry description_params description_param
%type <node> address_list_entry address_entries address_entry address_params
%type <node> address_entry_param connect_data connect_data_params
%type <node> connect_data_param

/* Whatever a failed parse leaves on the stack is released here. */
%destructor { o2pFree($$); } <str>
%destructor { ReleaseOCINode($$); } <node>
%destructor { ReleaseOCINodeList($$); } <list>

%start tns

%%

/* Untyped on purpose: bison discards a typed start symbol after accepting. */
tns:
      tns_name_entries              { tnsnames_parsetree_list = $1; }
    ;

tns_name_entries:
      tns_name_entry                    { $$ = tns_append_entry(nullptr, $1); }
    | tns_name_entries tns_name_entry   { $$ = tns_append_entry($1, $2); }
    ;

tns_name_entry:
      IDENT '=' description_list_entry  { $$ = tns_name_entry($1, $3); }
    | IDENT '=' description_entry       { $$ = tns_name_entry($1, $3); }
    ;

description_list_entry:
      '(' DESCRIPTION_LIST '=' description_entries ')'  { $$ = $4; }
    ;

description_entries:
      description_entry                       { $$ = $1; }
    | description_entries description_entry   { $$ = tns_keep_first($1, $2); }
    ;

description_entry:
      '(' DESCRIPTION '=' description_params ')'  { $$ = $4; }
    ;

description_params:
      description_param                     { $$ = tns_description_add(nullptr, $1, true); }
    | description_params description_param  { $$ = tns_description_add($1, $2, false); }
    ;

description_param:
      address_list_entry        { $$ = $1; }
    | address_entry             { $$ = $1; }
    | connect_data              { $$ = $1; }
    | failover_entry            { $$ = nullptr; }
    | load_balance_entry        { $$ = nullptr; }
    | recv_buf_size_entry       { $$ = nullptr; }
    | sdu_entry                 { $$ = nullptr; }
    | send_buf_size_entry       { $$ = nullptr; }
    | source_route_entry        { $$ = nullptr; }
    | type_of_service_entry     { $$ = nullptr; }
    | security_entry            { $$ = nullptr; }
    ;

address_list_entry:
      '(' ADDRESS_LIST '=' address_entries ')'  { $$ = $4; }
    ;

address_entries:
      address_entry                   { $$ = $1; }
    | address_entries address_entry   { $$ = tns_keep_first($1, $2); }
    ;

address_entry:
      '(' ADDRESS '=' address_params ')'  { $$ = $4; }
    ;

address_params:
      address_entry_param                 { $$ = tns_address_add(nullptr, $1, true); }
    | address_params address_entry_param  { $$ = tns_address_add($1, $2, false); }
    ;

address_entry_param:
      '(' PROTOCOL '=' protocol_value ')'  { $$ = nullptr; }
    | '(' HOST '=' INET_IP ')'             { $$ = tns_make_host($4); }
    | '(' HOST '=' IDENT ')'               { $$ = tns_make_host($4); }
    | '(' PORT '=' INTEGER ')'             { $$ = tns_make_port($4); }
    | '(' KEY '=' IDENT ')'                { o2pFree($4); $$ = nullptr; }
    | '(' COMMUNITY '=' IDENT ')'          { o2pFree($4); $$ = nullptr; }
    | '(' OBJECT '=' IDENT ')'             { o2pFree($4); $$ = nullptr; }
    | '(' NODE '=' IDENT ')'               { o2pFree($4); $$ = nullptr; }
    ;

protocol_value:
      TCP
    | IPC
    | DECNET
    ;

connect_data:
      '(' CONNECT_DATA '=' connect_data_params ')'  { $$ = $4; }
    ;

connect_data_params:
      connect_data_param                      { $$ = $1; }
    | connect_data_params connect_data_param  { $$ = tns_keep_first($1, $2); }
    ;

connect_data_param:
      failover_mode_entry                  { $$ = nullptr; }
    | '(' GLOBAL_NAME '=' IDENT ')'        { o2pFree($4); $$ = nullptr; }
    | '(' HS '=' OK ')'                    { $$ = nullptr; }
    | '(' INSTANCE_NAME '=' IDENT ')'      { o2pFree($4); $$ = nullptr; }
    | '(' RDB_DATABASE '=' IDENT ')'       { o2pFree($4); $$ = nullptr; }
    | '(' SERVER '=' server_value ')'      { $$ = nullptr; }
    | '(' SERVICE_NAME '=' IDENT ')'       { o2pFree($4); $$ = nullptr; }
    | '(' SID '=' IDENT ')'                { $$ = tns_make_sid($4); }
    | '(' PRESENTATION '=' IDENT ')'       { o2pFree($4); $$ = nullptr; }
    ;

server_value:
      DEDICATED
    | SHARED
    ;

failover_entry:
      '(' FAILOVER '=' boolean_value ')'
    ;

source_route_entry:
      '(' SOURCE_ROUTE '=' boolean_value ')'
    ;

load_balance_entry:
      '(' LOAD_BALANCE '=' boolean_value ')'
    ;

boolean_value:
      ON
    | OFF
    | YES
    | NO
    | TRUE_P
    | FALSE_P
    ;

recv_buf_size_entry:
      '(' RECV_BUF_SIZE '=' INTEGER ')'
    ;

sdu_entry:
      '(' SDU '=' INTEGER ')'
    ;

send_buf_size_entry:
      '(' SEND_BUF_SIZE '=' INTEGER ')'
    ;

type_of_service_entry:
      '(' TYPE_OF_SERVICE '=' IDENT ')'  { o2pFree($4); }
    ;

security_entry:
      '(' SECURITY '=' '(' SSL_SERVER_CERT_DN '=' SCONST ')' ')'  { o2pFree($7); }
    ;

failover_mode_entry:
      '(' FAILOVER_MODE '=' failover_mode_values ')'
    ;

failover_mode_values:
      failover_mode_value
    | failover_mode_values failover_mode_value
    ;

failover_mode_value:
      '(' BACKUP '=' ')'
    | '(' TYPE '=' failover_type ')'
    | '(' METHOD '=' failover_method ')'
    | '(' RETRIES '=' INTEGER ')'
    | '(' DELAY '=' INTEGER ')'
    ;

failover_type:
      SESSION
    | SELECT
    | NONE
    ;

failover_method:
      BASIC
    | PRECONNECT
    ;

%%

void tnsnameserror(const char *message) {
    extern int tnsnameslineno;
    // A failed read looks like an early end of input to the parser; it is
    // reported as unreadable, not as a syntax error.
    if (tns_read_failed) return;
    // The application's standard error is not ours: messages go to the log.
    ocitrace(TRACE_SESSION, "ParseDescriptorFile", "%d:%s\n", tnsnameslineno, message);
}
