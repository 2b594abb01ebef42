// OCIArrayDescriptorAlloc and OCIArrayDescriptorFree: descriptors of one
// type allocated and released as an array. Each element is an ordinary
// descriptor of the environment; the array's length is remembered by its
// first element, because OCIArrayDescriptorFree is given only the array.
#include <mutex>
#include <unordered_map>

#include "diag/entry.h"
#include "env/env.h"

namespace {
std::mutex s_arraysMutex;
std::unordered_map<const void *, ub4> s_arrayLengths;  // first element -> length

void Remember(const void *first, ub4 length) {
    std::lock_guard<std::mutex> lock(s_arraysMutex);
    s_arrayLengths[first] = length;
}

// The length of the array starting at `first` (1 when not made here), forgotten.
ub4 TakeLength(const void *first) {
    std::lock_guard<std::mutex> lock(s_arraysMutex);
    auto it = s_arrayLengths.find(first);
    if (it == s_arrayLengths.end()) return 1;
    const ub4 length = it->second;
    s_arrayLengths.erase(it);
    return length;
}
}  // namespace

OCI_EXPORT sword OCIArrayDescriptorAlloc(const void *parenth, void **descpp, const ub4 type, ub4 array_size,
                                         const size_t xtramem_sz, void **usrmempp) {
    OCIEnv *env = HandleAs<OCIEnv>(parenth, HANDLE_OCIEnv);
    if (descpp == nullptr || env == nullptr || env->errhp == nullptr) return OCI_INVALID_HANDLE;
    if (array_size == 0) {
        ClearErrorHandle(env->errhp);
        AddErrorRecordStringX(env->errhp, OCI_ERROR, kErrBadArgument, 1, "4");
        return OCI_ERROR;
    }
    // The user memory, when asked for, belongs to the first element.
    for (ub4 i = 0; i < array_size; i++) {
        const sword rc = OCIDescriptorAlloc(parenth, &descpp[i], type, i == 0 ? xtramem_sz : 0,
                                            i == 0 ? usrmempp : nullptr);
        if (rc != OCI_SUCCESS) {
            while (i > 0) {
                --i;
                OCIDescriptorFree(descpp[i], type);
                descpp[i] = nullptr;
            }
            return rc;
        }
    }
    try {
        Remember(descpp[0], array_size);
    } catch (...) {
        for (ub4 i = 0; i < array_size; i++) OCIDescriptorFree(descpp[i], type);
        ClearErrorHandle(env->errhp);
        AddErrorRecord(env->errhp, OCI_ERROR, kErrNoMemory);
        return OCI_ERROR;
    }
    return OCI_SUCCESS;
}

OCI_EXPORT sword OCIArrayDescriptorFree(void **descp, const ub4 type) {
    if (descp == nullptr || descp[0] == nullptr) return OCI_INVALID_HANDLE;
    const ub4 length = TakeLength(descp[0]);
    sword result = OCI_SUCCESS;
    for (ub4 i = 0; i < length; i++) {
        const sword rc = OCIDescriptorFree(descp[i], type);
        if (rc != OCI_SUCCESS && result == OCI_SUCCESS) result = rc;
    }
    return result;
}
