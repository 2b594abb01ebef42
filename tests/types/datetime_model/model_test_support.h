// Shared by the format-model tests: an environment with one error handle,
// and the two engines called on exactly sized copies of text and format (no
// terminator, so a read past either length trips the address sanitizer).
#pragma once
#include <gtest/gtest.h>
#include <oci.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "diag/errors.h"
#include "types/datetime_model.h"

namespace modeltest {

// A heap copy of exactly s.size() bytes.
struct Exact {
    explicit Exact(const std::string &s) : data(new char[s.size() + (s.empty() ? 1 : 0)]), len(s.size()) {
        if (!s.empty()) std::memcpy(data.get(), s.data(), s.size());
    }
    std::string_view view() const { return std::string_view(data.get(), len); }
    std::unique_ptr<char[]> data;
    size_t len;
};

inline pg_tm Tm(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    pg_tm tm{};
    tm.tm_year = year, tm.tm_mon = month, tm.tm_mday = day;
    tm.tm_hour = hour, tm.tm_min = minute, tm.tm_sec = second;
    return tm;
}

inline ModelValue Value(const pg_tm &tm, fsec_t fsec = 0, long gmtoff = 0) {
    ModelValue v;
    v.tm = tm;
    v.tm.tm_gmtoff = gmtoff;
    v.fsec = fsec;
    return v;
}

inline int CurrentYear() {
    time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

// One environment and error handle; each call starts from an empty handle
// and must leave exactly one record when it fails.
class ModelSession {
public:
    ModelSession() {
        EXPECT_EQ(OCIEnvCreate(&env_, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        void *err = nullptr;
        EXPECT_EQ(OCIHandleAlloc(env_, &err, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        err_ = static_cast<OCIError *>(err);
    }
    ~ModelSession() {
        if (env_ != nullptr) OCIHandleFree(env_, OCI_HTYPE_ENV);
    }
    ModelSession(const ModelSession &) = delete;
    ModelSession &operator=(const ModelSession &) = delete;

    // The text, or "#<error number>" / "#0:<message>" on failure.
    std::string Write(const ModelValue &v, const std::string &format, int kind = kModelTimestampZone) {
        ClearErrorHandle(err_);
        Exact f(format);
        std::optional<std::string> out = datetime_to_char_body(err_, v, f.view(), kind);
        if (out.has_value()) {
            EXPECT_EQ(ErrorRecordCount(err_), 0);
            return *out;
        }
        return Failure();
    }

    // 0 and the value, or the error number (see Failure) in `error`.
    bool Read(const std::string &text, const std::string &format, ModelValue *out, int kind = kModelTimestampZone) {
        ClearErrorHandle(err_);
        Exact t(text), f(format);
        if (do_to_timestamp(err_, t.view(), f.view(), kind, out) == 0) {
            EXPECT_EQ(ErrorRecordCount(err_), 0);
            error.clear();
            return true;
        }
        error = Failure();
        return false;
    }

    // Reads and returns the error ("" on success).
    std::string ReadError(const std::string &text, const std::string &format, int kind = kModelTimestampZone) {
        ModelValue v;
        return Read(text, format, &v, kind) ? "" : error;
    }

    // The message of the first record (through OCIErrorGet).
    std::string Message() {
        OraText buf[512] = {};
        sb4 code = 0;
        if (OCIErrorGet(err_, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) return "";
        return reinterpret_cast<const char *>(buf);
    }

    OCIError *err() const { return err_; }
    std::string error;

private:
    std::string Failure() {
        EXPECT_EQ(ErrorRecordCount(err_), 1);
        OraText buf[512] = {};
        sb4 code = -1;
        if (OCIErrorGet(err_, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) return "#?";
        if (code == 0) return std::string("#0:") + reinterpret_cast<const char *>(buf);
        return "#" + std::to_string(code);
    }

    OCIEnv *env_ = nullptr;
    OCIError *err_ = nullptr;
};

}  // namespace modeltest
