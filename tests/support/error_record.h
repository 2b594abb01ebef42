// Record 1 of a handle's error records, as tests read it.
#pragma once
#include <oci.h>

#include <string>

namespace testsupport {

// The number (-1 when there is no record) and text of record 1.
struct Record {
    sb4 code = -1;
    std::string text;
};

inline Record FirstRecord(void *handle, ub4 type = OCI_HTYPE_ERROR) {
    Record record;
    OraText buf[1024] = {};
    sb4 code = 0;
    if (OCIErrorGet(handle, 1, nullptr, &code, buf, sizeof buf, type) != OCI_SUCCESS) return record;
    record.code = code;
    record.text = reinterpret_cast<const char *>(buf);
    return record;
}

}  // namespace testsupport
