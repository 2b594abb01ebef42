// Session pools and the sessions OCISessionGet hands out.
#pragma once
#include "conn/conn_handles.h"

// Logs off the pool's idle sessions and frees its entries, texts and lock;
// called when the pool handle is released. Handed-out sessions stay with the
// application.
void FreeSPoolContents(OCISPool *pool);

// The pool's sessions: all of them (`open`) and those lent out (`busy`).
void SPoolCounts(OCISPool *pool, ub4 *open, ub4 *busy);
