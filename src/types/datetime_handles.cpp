// Datetime and interval descriptors: record plus separately allocated body.
#include "types/datetime_handles.h"

OCIDateTime *Alloc_OCIDateTime(ub4 type) {
    auto *dt = NewHandle<OCIDateTime>(HANDLE_OCIDateTime);
    if (dt == nullptr) return nullptr;
    dt->descriptorType = type;
    dt->value = o2pNew<DateTimeValue>();
    if (dt->value == nullptr) {
        DeleteHandle(dt);
        return nullptr;
    }
    dt->value->kind = static_cast<ub1>(type & 0xFF);
    dt->value->initialised = 1;
    return dt;
}

void Free_OCIDateTime(OCIDateTime *dt) {
    if (dt == nullptr || dt->handleType != HANDLE_OCIDateTime) return;
    o2pDelete(dt->value);
    dt->value = nullptr;
    DeleteHandle(dt);
}

OCIInterval *Alloc_OCIInterval(ub4 type) {
    auto *iv = NewHandle<OCIInterval>(HANDLE_OCIInterval);
    if (iv == nullptr) return nullptr;
    iv->descriptorType = type;
    iv->value = o2pNew<IntervalValue>();
    if (iv->value == nullptr) {
        DeleteHandle(iv);
        return nullptr;
    }
    iv->value->kind = static_cast<ub1>(type & 0xFF);
    iv->value->initialised = 1;
    return iv;
}

void Free_OCIInterval(OCIInterval *iv) {
    if (iv == nullptr || iv->handleType != HANDLE_OCIInterval) return;
    o2pDelete(iv->value);
    iv->value = nullptr;
    DeleteHandle(iv);
}
