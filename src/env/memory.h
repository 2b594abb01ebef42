// Every allocation the library makes on behalf of a handle goes through these
// helpers so that out-of-memory can be simulated: a test sets a countdown and
// the Nth allocation from then on fails.
#pragma once
#include <cstddef>
#include <new>

void *o2pMalloc(size_t size);            // null on failure
void *o2pCalloc(size_t count, size_t size); // zero-filled, null on failure
void o2pFree(void *ptr);
char *o2pStrdup(const char *src);        // null for null text or failure
char *o2pStrndup(const char *src, size_t len);

// Fault injection for tests: after `n` more successful allocations the next
// one fails (and every later one succeeds again). Negative disables it.
void o2pFailAllocationAfter(long n);
bool o2pAllocationShouldFail();

// Zero-initialised record of type T, or null when memory runs out.
template <class T> T *o2pNew() {
    if (o2pAllocationShouldFail()) return nullptr;
    return new (std::nothrow) T();
}
template <class T> void o2pDelete(T *p) { delete p; }
