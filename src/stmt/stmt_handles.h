// Records of statements and of their bind and define handles.
#pragma once
#include "env/handles.h"

struct OCISvcCtx;

struct OCIStmt : OCIHandle {
    OCISvcCtx *svchp;
    List *binds;     // OCIBind*, in allocation order
    List *defines;   // OCIDefine*, in allocation order
    List *memCache;  // texts handed out by attribute calls
    bool fromPrepare2;  // obtained from OCIStmtPrepare2: freed only with the env
    char *stmtText;
    ub4 stmtTextLength;
    char *preparedName;  // server-side prepared statement, when one exists
    ub1 cursorState;     // open-cursor record: 0 closed
    char *cursorName;
    char *portalName;
    void *cursorServer;  // server the cursor was opened on
};

struct OCIBind : OCIHandle {
    void *ownedBuffer;
};

struct OCIDefine : OCIHandle {
    ub4 position;
};

OCIStmt *Alloc_OCIStmt();
void Free_OCIStmt(OCIStmt *stmt);
OCIBind *Alloc_OCIBind();
void Free_OCIBind(OCIBind *bind);
OCIDefine *Alloc_OCIDefine();
void Free_OCIDefine(OCIDefine *define);

void *AllocateMemFromStmtCache(OCIStmt *stmt, size_t size);
void FreeMemFromStmtCache(OCIStmt *stmt);
