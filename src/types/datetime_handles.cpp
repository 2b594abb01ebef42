// Datetime and interval descriptors. The value blocks are filled by the date
// and interval code; here they are only created and released.
#include "types/datetime_handles.h"

struct DateTimeValue {
    ub1 bytes[64];
};
struct IntervalValue {
    ub1 bytes[32];
};

OCIDateTime *Alloc_OCIDateTime(ub4 type) {
    auto *dt = NewHandle<OCIDateTime>(HANDLE_OCIDateTime);
    if (dt == nullptr) return nullptr;
    dt->descriptorType = type;
    dt->value = o2pNew<DateTimeValue>();
    if (dt->value == nullptr) {
        DeleteHandle(dt);
        return nullptr;
    }
    return dt;
}

void Free_OCIDateTime(OCIDateTime *dt) {
    if (dt == nullptr || dt->handleType != HANDLE_OCIDateTime) return;
    o2pDelete(dt->value);
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
    return iv;
}

void Free_OCIInterval(OCIInterval *iv) {
    if (iv == nullptr || iv->handleType != HANDLE_OCIInterval) return;
    o2pDelete(iv->value);
    DeleteHandle(iv);
}
