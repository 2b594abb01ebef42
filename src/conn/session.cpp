// Session handles: the credentials and per-session context values.
#include "conn/conn_handles.h"
#include "env/env.h"

OCISession *Alloc_OCISession() { return NewHandle<OCISession>(HANDLE_OCISession); }

void Free_OCISession(OCISession *session) {
    if (session == nullptr || session->handleType != HANDLE_OCISession) return;
    if (OCIEnv *env = EnvOfHandle(session)) {
        foreach_cell(cell, env->children) {
            OCISvcCtx *svchp = HandleAs<OCISvcCtx>(cell->ptr, HANDLE_OCISvcCtx);
            if (svchp != nullptr && svchp->session == session) svchp->session = nullptr;
        }
    }
    o2pFree(session->username);
    o2pFree(session->password);
    o2pFree(session->module);
    FreeContextEntries(session->contexts);
    DeleteHandle(session);
}
