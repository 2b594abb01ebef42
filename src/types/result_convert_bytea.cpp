// bytea and the raw type. In text format the server writes the bytes in its
// hex form ("\x" and two digits a byte) or its escape form; in binary format
// they come as they are. Character targets receive upper-case hexadecimal,
// two characters a byte; binary targets the bytes.
#include <cstdlib>

#include "diag/errors.h"
#include "types/result_convert_support.h"

namespace resultconv {
namespace {

// The value's bytes, owned by the object when they had to be decoded.
struct Bytes {
    const unsigned char *data = nullptr;
    size_t len = 0;
    unsigned char *owned = nullptr;
    Bytes() = default;
    Bytes(const Bytes &) = delete;
    Bytes &operator=(const Bytes &) = delete;
    ~Bytes() { std::free(owned); }
};

// Start, decode and - with the Oracle-varchar flag on - an empty value as
// NULL. False when the converter is done (*status holds its result).
bool ReadBytes(const Call &c, Bytes *out, sword *status) {
    const bool emptyIsNull = OracleVarchars(c);
    if (!Start(c, emptyIsNull ? EmptyText::IsNull : EmptyText::IsValue, status)) return false;
    if (c.format == 1) {
        out->data = reinterpret_cast<const unsigned char *>(c.value);
        out->len = c.valueLength;
    } else {
        const int rc = DecodeByteaText(c.value, c.valueLength, &out->owned, &out->len);
        if (rc != 0) {
            *status = rc == kErrBadHex ? Fail(c, kErrBadHex) : Refuse(c);
            return false;
        }
        out->data = out->owned;
    }
    if (out->len == 0 && emptyIsNull) {
        *status = ReportNull(c);
        return false;
    }
    return true;
}

sword ByteaToChars(const Call &c, CharLayout layout) {
    sword status;
    Bytes bytes;
    if (!ReadBytes(c, &bytes, &status)) return status;
    char *hex = EncodeHex(bytes.data, bytes.len);
    if (hex == nullptr) return Refuse(c);
    status = DeliverChars(c, layout, hex, 2 * bytes.len);
    std::free(hex);
    return status;
}

sword ByteaToBytes(const Call &c, ByteLayout layout) {
    sword status;
    Bytes bytes;
    if (!ReadBytes(c, &bytes, &status)) return status;
    return DeliverBytes(c, layout, bytes.data, bytes.len);
}

}  // namespace
}  // namespace resultconv

using resultconv::ByteLayout;
using resultconv::CharLayout;

OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_CHR) { return resultconv::ByteaToChars(RESULT_CALL, CharLayout::CHR); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_AFC) { return resultconv::ByteaToChars(RESULT_CALL, CharLayout::AFC); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_AVC) { return resultconv::ByteaToChars(RESULT_CALL, CharLayout::AVC); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_STR) { return resultconv::ByteaToChars(RESULT_CALL, CharLayout::STR); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_LNG) { return resultconv::ByteaToChars(RESULT_CALL, CharLayout::LNG); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_VCS) { return resultconv::ByteaToChars(RESULT_CALL, CharLayout::VCS); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_LVC) { return resultconv::ByteaToChars(RESULT_CALL, CharLayout::LVC); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_VST) { return resultconv::ByteaToChars(RESULT_CALL, CharLayout::VST); }

OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_BIN) { return resultconv::ByteaToBytes(RESULT_CALL, ByteLayout::BIN); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_LBI) { return resultconv::ByteaToBytes(RESULT_CALL, ByteLayout::LBI); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_VBI) { return resultconv::ByteaToBytes(RESULT_CALL, ByteLayout::VBI); }
OCI_RESULT_CONVERTER(ConvertBYTEAOIDToSQLT_LVB) { return resultconv::ByteaToBytes(RESULT_CALL, ByteLayout::LVB); }
