// Shared by the result converter tests: converters by name, the test
// environments, value tables and one call of a converter with its outcome.
#pragma once
#include <gtest/gtest.h>

#include "support/data_table.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "conn/nls.h"
#include "diag/errors.h"
#include "env/env.h"
#include "types/result_converters.h"

namespace resulttest {

// Every converter of types/result_converters.h by name (one missing from the
// library fails to link here).
#define RESULT_CONVERTER_LIST(X) \
    X(ConvertBYTEAOIDToSQLT_CHR) \
    X(ConvertBYTEAOIDToSQLT_STR) \
    X(ConvertBYTEAOIDToSQLT_LNG) \
    X(ConvertBYTEAOIDToSQLT_VCS) \
    X(ConvertBYTEAOIDToSQLT_VBI) \
    X(ConvertBYTEAOIDToSQLT_BIN) \
    X(ConvertBYTEAOIDToSQLT_LBI) \
    X(ConvertBYTEAOIDToSQLT_LVC) \
    X(ConvertBYTEAOIDToSQLT_LVB) \
    X(ConvertBYTEAOIDToSQLT_AFC) \
    X(ConvertBYTEAOIDToSQLT_AVC) \
    X(ConvertBYTEAOIDToSQLT_VST) \
    X(ConvertCHAROIDToSQLT_CHR) \
    X(ConvertCHAROIDToSQLT_NUM) \
    X(ConvertCHAROIDToSQLT_INT) \
    X(ConvertCHAROIDToSQLT_FLT) \
    X(ConvertCHAROIDToSQLT_STR) \
    X(ConvertCHAROIDToSQLT_VNU) \
    X(ConvertCHAROIDToSQLT_LNG) \
    X(ConvertCHAROIDToSQLT_VCS) \
    X(ConvertCHAROIDToSQLT_BFLOAT) \
    X(ConvertCHAROIDToSQLT_BDOUBLE) \
    X(ConvertCHAROIDToSQLT_UIN) \
    X(ConvertCHAROIDToSQLT_LVC) \
    X(ConvertCHAROIDToSQLT_AFC) \
    X(ConvertCHAROIDToSQLT_AVC) \
    X(ConvertCHAROIDToSQLT_VST) \
    X(ConvertINT2OIDToSQLT_CHR) \
    X(ConvertINT2OIDToSQLT_NUM) \
    X(ConvertINT2OIDToSQLT_INT) \
    X(ConvertINT2OIDToSQLT_FLT) \
    X(ConvertINT2OIDToSQLT_STR) \
    X(ConvertINT2OIDToSQLT_VNU) \
    X(ConvertINT2OIDToSQLT_LNG) \
    X(ConvertINT2OIDToSQLT_VCS) \
    X(ConvertINT2OIDToSQLT_BFLOAT) \
    X(ConvertINT2OIDToSQLT_BDOUBLE) \
    X(ConvertINT2OIDToSQLT_UIN) \
    X(ConvertINT2OIDToSQLT_LVC) \
    X(ConvertINT2OIDToSQLT_AFC) \
    X(ConvertINT2OIDToSQLT_AVC) \
    X(ConvertINT2OIDToSQLT_VST) \
    X(ConvertINT4OIDToSQLT_CHR) \
    X(ConvertINT4OIDToSQLT_NUM) \
    X(ConvertINT4OIDToSQLT_INT) \
    X(ConvertINT4OIDToSQLT_FLT) \
    X(ConvertINT4OIDToSQLT_STR) \
    X(ConvertINT4OIDToSQLT_VNU) \
    X(ConvertINT4OIDToSQLT_LNG) \
    X(ConvertINT4OIDToSQLT_VCS) \
    X(ConvertINT4OIDToSQLT_BFLOAT) \
    X(ConvertINT4OIDToSQLT_BDOUBLE) \
    X(ConvertINT4OIDToSQLT_UIN) \
    X(ConvertINT4OIDToSQLT_LVC) \
    X(ConvertINT4OIDToSQLT_AFC) \
    X(ConvertINT4OIDToSQLT_AVC) \
    X(ConvertINT4OIDToSQLT_VST) \
    X(ConvertINT8OIDToSQLT_CHR) \
    X(ConvertINT8OIDToSQLT_NUM) \
    X(ConvertINT8OIDToSQLT_INT) \
    X(ConvertINT8OIDToSQLT_FLT) \
    X(ConvertINT8OIDToSQLT_STR) \
    X(ConvertINT8OIDToSQLT_VNU) \
    X(ConvertINT8OIDToSQLT_LNG) \
    X(ConvertINT8OIDToSQLT_VCS) \
    X(ConvertINT8OIDToSQLT_BFLOAT) \
    X(ConvertINT8OIDToSQLT_BDOUBLE) \
    X(ConvertINT8OIDToSQLT_UIN) \
    X(ConvertINT8OIDToSQLT_LVC) \
    X(ConvertINT8OIDToSQLT_AFC) \
    X(ConvertINT8OIDToSQLT_AVC) \
    X(ConvertINT8OIDToSQLT_VST) \
    X(ConvertFLOAT4OIDToSQLT_CHR) \
    X(ConvertFLOAT4OIDToSQLT_NUM) \
    X(ConvertFLOAT4OIDToSQLT_INT) \
    X(ConvertFLOAT4OIDToSQLT_FLT) \
    X(ConvertFLOAT4OIDToSQLT_STR) \
    X(ConvertFLOAT4OIDToSQLT_VNU) \
    X(ConvertFLOAT4OIDToSQLT_LNG) \
    X(ConvertFLOAT4OIDToSQLT_VCS) \
    X(ConvertFLOAT4OIDToSQLT_BFLOAT) \
    X(ConvertFLOAT4OIDToSQLT_BDOUBLE) \
    X(ConvertFLOAT4OIDToSQLT_UIN) \
    X(ConvertFLOAT4OIDToSQLT_LVC) \
    X(ConvertFLOAT4OIDToSQLT_AFC) \
    X(ConvertFLOAT4OIDToSQLT_AVC) \
    X(ConvertFLOAT4OIDToSQLT_VST) \
    X(ConvertFLOAT8OIDToSQLT_CHR) \
    X(ConvertFLOAT8OIDToSQLT_NUM) \
    X(ConvertFLOAT8OIDToSQLT_INT) \
    X(ConvertFLOAT8OIDToSQLT_FLT) \
    X(ConvertFLOAT8OIDToSQLT_STR) \
    X(ConvertFLOAT8OIDToSQLT_VNU) \
    X(ConvertFLOAT8OIDToSQLT_LNG) \
    X(ConvertFLOAT8OIDToSQLT_VCS) \
    X(ConvertFLOAT8OIDToSQLT_BFLOAT) \
    X(ConvertFLOAT8OIDToSQLT_BDOUBLE) \
    X(ConvertFLOAT8OIDToSQLT_UIN) \
    X(ConvertFLOAT8OIDToSQLT_LVC) \
    X(ConvertFLOAT8OIDToSQLT_AFC) \
    X(ConvertFLOAT8OIDToSQLT_AVC) \
    X(ConvertFLOAT8OIDToSQLT_VST) \
    X(ConvertNUMERICOIDToSQLT_CHR) \
    X(ConvertNUMERICOIDToSQLT_INT) \
    X(ConvertNUMERICOIDToSQLT_FLT) \
    X(ConvertNUMERICOIDToSQLT_STR) \
    X(ConvertNUMERICOIDToSQLT_NUM) \
    X(ConvertNUMERICOIDToSQLT_VNU) \
    X(ConvertNUMERICOIDToSQLT_LNG) \
    X(ConvertNUMERICOIDToSQLT_VCS) \
    X(ConvertNUMERICOIDToSQLT_BFLOAT) \
    X(ConvertNUMERICOIDToSQLT_BDOUBLE) \
    X(ConvertNUMERICOIDToSQLT_UIN) \
    X(ConvertNUMERICOIDToSQLT_LVC) \
    X(ConvertNUMERICOIDToSQLT_AFC) \
    X(ConvertNUMERICOIDToSQLT_AVC) \
    X(ConvertNUMERICOIDToSQLT_VST) \
    X(ConvertTEXTOIDToSQLT_CHR) \
    X(ConvertTEXTOIDToSQLT_NUM) \
    X(ConvertTEXTOIDToSQLT_INT) \
    X(ConvertTEXTOIDToSQLT_FLT) \
    X(ConvertTEXTOIDToSQLT_STR) \
    X(ConvertTEXTOIDToSQLT_VNU) \
    X(ConvertTEXTOIDToSQLT_LNG) \
    X(ConvertTEXTOIDToSQLT_VCS) \
    X(ConvertTEXTOIDToSQLT_DAT) \
    X(ConvertTEXTOIDToSQLT_VBI) \
    X(ConvertTEXTOIDToSQLT_BFLOAT) \
    X(ConvertTEXTOIDToSQLT_BDOUBLE) \
    X(ConvertTEXTOIDToSQLT_BIN) \
    X(ConvertTEXTOIDToSQLT_LBI) \
    X(ConvertTEXTOIDToSQLT_UIN) \
    X(ConvertTEXTOIDToSQLT_LVC) \
    X(ConvertTEXTOIDToSQLT_LVB) \
    X(ConvertTEXTOIDToSQLT_AVC) \
    X(ConvertTEXTOIDToSQLT_VST) \
    X(ConvertTEXTOIDToSQLT_ODT) \
    X(ConvertTEXTOIDToSQLT_DATE) \
    X(ConvertTEXTOIDToSQLT_TIMESTAMP) \
    X(ConvertTEXTOIDToSQLT_TIMESTAMP_TZ) \
    X(ConvertDATEOIDToSQLT_CHR) \
    X(ConvertDATEOIDToSQLT_STR) \
    X(ConvertDATEOIDToSQLT_LNG) \
    X(ConvertDATEOIDToSQLT_VCS) \
    X(ConvertDATEOIDToSQLT_LVC) \
    X(ConvertDATEOIDToSQLT_AFC) \
    X(ConvertDATEOIDToSQLT_AVC) \
    X(ConvertDATEOIDToSQLT_VST) \
    X(ConvertTIMESTAMPOIDToSQLT_DAT) \
    X(ConvertTIMESTAMPOIDToSQLT_ODT) \
    X(ConvertTIMESTAMPOIDToSQLT_DATE) \
    X(ConvertTIMESTAMPOIDToSQLT_TIMESTAMP) \
    X(ConvertTIMESTAMPOIDToSQLT_TIMESTAMP_TZ) \
    X(ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ) \
    X(ConvertINTERVALOIDToSQLT_INTERVAL_DS) \
    X(ConvertOIDOIDToSQLT_BLOB) \

inline const std::map<std::string, ResultConverter> &Converters() {
#define RESULT_CONVERTER_ENTRY(name) {#name, name},
    static const std::map<std::string, ResultConverter> table = {RESULT_CONVERTER_LIST(RESULT_CONVERTER_ENTRY)};
#undef RESULT_CONVERTER_ENTRY
    return table;
}

inline ResultConverter Find(const std::string &name) {
    auto it = Converters().find(name);
    return it == Converters().end() ? nullptr : it->second;
}

using oci_test::Row;
using oci_test::Trim;

// Cells of tests/types/result/data/<name>.
inline std::vector<Row> ReadTable(const std::string &name) {
    return oci_test::ReadDataTable("types/result/data/" + name);
}

// "HH HH*n ..." -> bytes ("*n" repeats the byte n times).
inline std::vector<unsigned char> Hex(const std::string &text) {
    std::vector<unsigned char> out;
    std::stringstream ss(text);
    std::string token;
    while (ss >> token) {
        size_t star = token.find('*');
        int count = star == std::string::npos ? 1 : std::atoi(token.c_str() + star + 1);
        auto byte = static_cast<unsigned char>(std::strtoul(token.substr(0, star).c_str(), nullptr, 16));
        out.insert(out.end(), static_cast<size_t>(count), byte);
    }
    return out;
}

inline std::string ToHex(const unsigned char *bytes, size_t n) {
    std::string out;
    char buf[4];
    for (size_t k = 0; k < n; ++k) {
        std::snprintf(buf, sizeof buf, "%s%02X", k == 0 ? "" : " ", bytes[k]);
        out += buf;
    }
    return out;
}
inline std::string ToHex(const std::vector<unsigned char> &v) { return ToHex(v.data(), v.size()); }

// Expected bytes: hex tokens as Hex() reads them mixed with "quoted" ASCII
// (a quoted part may hold blanks).
inline std::vector<unsigned char> Bytes(const std::string &text) {
    std::vector<unsigned char> out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
        } else if (text[i] == '"') {
            size_t end = text.find('"', i + 1);
            if (end == std::string::npos) end = text.size();
            out.insert(out.end(), text.begin() + static_cast<long>(i) + 1, text.begin() + static_cast<long>(end));
            i = end + 1;
        } else {
            size_t end = text.find(' ', i);
            if (end == std::string::npos) end = text.size();
            auto part = Hex(text.substr(i, end - i));
            out.insert(out.end(), part.begin(), part.end());
            i = end;
        }
    }
    return out;
}

// Text with the escapes \\ (backslash) and \xHH (a byte).
inline std::string Unescape(const std::string &s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
            out += static_cast<char>(std::strtoul(s.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// A server value held in a heap block of exactly its size, so that reading
// past it trips the sanitizer. "NULL" (no value), "t:<text>" (text format)
// or "x:<hex>" (binary format).
struct Value {
    explicit Value(const std::string &cell) {
        std::string bytes;
        if (cell == "NULL") {
            absent = true;
        } else if (cell.rfind("t:", 0) == 0) {
            bytes = Unescape(cell.substr(2));
        } else if (cell.rfind("x:", 0) == 0) {
            auto raw = Hex(cell.substr(2));
            bytes.assign(raw.begin(), raw.end());
            format = 1;
        } else {
            ADD_FAILURE() << "bad value cell " << cell;
        }
        length = static_cast<ub4>(bytes.size());
        block.reset(new char[bytes.empty() ? 1 : bytes.size()]);
        bytes.copy(block.get(), bytes.size());
    }
    const char *data() const { return absent ? nullptr : block.get(); }
    bool absent = false;
    ub1 format = 0;
    ub4 length = 0;
    std::unique_ptr<char[]> block;
};

// The environments the tests convert in: one with the client character set
// UTF-8, one UTF-16 (OCI_UTF16). Each has an error handle.
class Envs {
public:
    static Envs &Get() {
        static Envs envs;
        return envs;
    }
    OCIEnv *plain = nullptr;
    OCIEnv *utf16 = nullptr;
    OCIError *plainErr = nullptr;
    OCIError *utf16Err = nullptr;

    // "std" (Oracle-varchar flag on), "novar" (flag off) or "utf16".
    OCIError *For(const std::string &name) {
        plain->varcharSemantics = name == "novar" ? 0 : 1;
        OCIError *err = name == "utf16" ? utf16Err : plainErr;
        ClearErrorHandle(err);
        return err;
    }

private:
    Envs() {
        EXPECT_EQ(OCIEnvCreate(&plain, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        EXPECT_EQ(OCIEnvCreate(&utf16, OCI_UTF16, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        plain->charsetId = nls::ENC_UTF8;
        EXPECT_EQ(OCIHandleAlloc(plain, reinterpret_cast<void **>(&plainErr), OCI_HTYPE_ERROR, 0, nullptr), 0);
        EXPECT_EQ(OCIHandleAlloc(utf16, reinterpret_cast<void **>(&utf16Err), OCI_HTYPE_ERROR, 0, nullptr), 0);
    }
    ~Envs() {
        OCIHandleFree(plain, OCI_HTYPE_ENV);
        OCIHandleFree(utf16, OCI_HTYPE_ENV);
    }
};

// Error number of the first record ("msg" for a message-only one, 0 for none).
inline std::string FirstError(OCIError *err) {
    if (ErrorRecordCount(err) == 0) return "0";
    const errinfo *rec = ErrorRecordAt(err, 1);
    if (rec->errcode == 0 && rec->msg != nullptr) return std::string("msg:") + rec->msg;
    return std::to_string(rec->errcode);
}

// One converter call into a buffer of exactly `capacity` bytes, filled with
// 0xEE first so that untouched bytes show.
struct Outcome {
    sword status = 0;
    ub4 length = 0;
    sb2 indicator = 0;
    ub2 returnCode = 0;
    std::string error;
    std::vector<unsigned char> buffer;
};

inline Outcome Convert(ResultConverter fn, OCIError *err, const Value &v, ub4 capacity, bool withIndicator) {
    Outcome o;
    std::unique_ptr<unsigned char[]> buf(new unsigned char[capacity == 0 ? 1 : capacity]);
    std::memset(buf.get(), 0xEE, capacity == 0 ? 1 : capacity);
    o.length = capacity;
    o.indicator = 0x7777;
    o.returnCode = 0;
    o.status = fn(err, v.data(), v.length, v.format, buf.get(), &o.length, withIndicator ? &o.indicator : nullptr,
                  &o.returnCode, nullptr);
    o.error = FirstError(err);
    o.buffer.assign(buf.get(), buf.get() + capacity);
    return o;
}

}  // namespace resulttest
