/*
 * Grammar of callable blocks: BEGIN name(:a, ...); END; and
 * BEGIN :r := name(:a, ...); END; (keywords in any case, the final semicolon
 * optional). Arguments are placeholders only. The block becomes the server
 * text CALL name ( :a , ... );.
 *
 * A pure parser: every parse carries its own state (CallgramParse) and its
 * own scanner, so parses in different threads never meet.
 */
%define api.prefix {callgram_}
%define api.pure full
%define parse.error verbose
/* Look-ahead correction: the "expecting" lists of the syntax messages name
 * exactly the tokens that would have been accepted. */
%define parse.lac full
%expect 0

%parse-param {CallgramParse *parse} {yyscan_t scanner}
%lex-param {yyscan_t scanner}

%code requires {
#include "stmt/callgram/callgram_internal.h"
}

%code top {
#include <cstddef>
#include "env/memory.h"

/* A block needs a dozen stack entries; the bounds only matter for a parser
 * that is fed something else entirely. */
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
#define YYMALLOC o2pMalloc
#define YYFREE o2pFree
}

%code {
int callgram_lex(CALLGRAM_STYPE *lvalp, yyscan_t scanner);
void callgram_error(CallgramParse *parse, yyscan_t scanner, const char *message);
}

%union {
    char *str;
    OCICallableStmt *node;
}

/* Token codes are part of the published layout of this parser; pin them.
 * Recent bison calls the end of input "end of file" in its messages; these
 * messages name it $end, as the descriptor-file parser's do. */
%token END_OF_INPUT 0 "$end"
%token <str> IDENT 258 PARAM 259
%token BEGIN_P 260 END 261
/* Punctuation the scanner returns but no rule accepts; declared so that a
 * syntax message names the character rather than an anonymous token. */
%token '%' '*' '+' '-' '.' '/' '<' '>' '[' ']' '^'

%type <str> opt_param_list param_list
%type <node> stmt BeginStmt

/* Whatever a failed parse leaves on the stack is released here. */
%destructor { o2pFree($$); } <str>
%destructor { ReleaseOCICallableStmt($$); } <node>

%start oci_stmt

%%

/* Untyped on purpose: bison discards a typed start symbol after accepting. */
oci_stmt:
      stmt      { parse->result = $1; }
    ;

stmt:
      BeginStmt     { $$ = $1; }
    | %empty        { $$ = nullptr; }
    ;

BeginStmt:
      BEGIN_P IDENT '(' opt_param_list ')' ';' END opt_termination
            {
                $$ = make_callable(false, nullptr, $2, $4);
                if ($$ == nullptr) YYNOMEM;
            }
    | BEGIN_P PARAM ':' '=' IDENT '(' opt_param_list ')' ';' END opt_termination
            {
                $$ = make_callable(true, $2, $5, $7);
                if ($$ == nullptr) YYNOMEM;
            }
    ;

opt_param_list:
      param_list    { $$ = $1; }
    | %empty
            {
                $$ = make_str("");
                if ($$ == nullptr) YYNOMEM;
            }
    ;

/* The scanner hands over a fresh copy of each placeholder; it is kept. */
param_list:
      PARAM         { $$ = $1; }
    | param_list ',' PARAM
            {
                $$ = cat_str(3, $1, make_str(","), $3);
                if ($$ == nullptr) YYNOMEM;
            }
    ;

opt_termination:
      ';'
    | %empty
    ;

%%

void callgram_error(CallgramParse *, yyscan_t, const char *message) {
    callgram_report(message);
}
