// Sessions on server connections: shared pieces of attach, session begin
// and end, and logon.
#pragma once
#include <libpq-fe.h>

#include "conn/conn_handles.h"

// Server version of the most recent successful OCISessionBegin.
// Written by every session start in any thread.
extern std::atomic<sb4> gDBServerVersion;

// A handle of `code` whose parent is an environment.
bool ValidConnHandle(const void *h, HandleCode code);

// The server of a service context; OCI_INVALID_HANDLE when it has none.
sword getServerHandleFromService(OCIServer **server, OCISvcCtx *svchp, OCIError *errhp);

// Notice processor installed around server calls: a notice becomes a
// warning record on the error handle given as `arg`.
void OCINoticeHandler(void *arg, const char *message);

// Closes the server's connection (and its protocol trace).
void CloseServerConnection(OCIServer *server);
