// Heap allocation for the library, with a countdown that lets tests make the
// Nth allocation fail.
#include "env/memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {
std::atomic<long> failCountdown{-1};
}

void o2pFailAllocationAfter(long n) { failCountdown.store(n); }

bool o2pAllocationShouldFail() {
    long current = failCountdown.load(std::memory_order_relaxed);
    while (current >= 0) {
        if (failCountdown.compare_exchange_weak(current, current - 1)) return current == 0;
    }
    return false;
}

void *o2pMalloc(size_t size) {
    if (o2pAllocationShouldFail()) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

void *o2pCalloc(size_t count, size_t size) {
    if (o2pAllocationShouldFail()) return nullptr;
    return std::calloc(count == 0 ? 1 : count, size == 0 ? 1 : size);
}

void o2pFree(void *ptr) { std::free(ptr); }

char *o2pStrndup(const char *text, size_t len) {
    if (text == nullptr) return nullptr;
    auto *copy = static_cast<char *>(o2pMalloc(len + 1));
    if (copy == nullptr) return nullptr;
    std::memcpy(copy, text, len);
    copy[len] = '\0';
    return copy;
}

char *o2pStrdup(const char *text) {
    return text == nullptr ? nullptr : o2pStrndup(text, std::strlen(text));
}
