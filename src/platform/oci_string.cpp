// OCIString: variable-length text values of object-mode environments.
#include "platform/oci_string.h"

#include <cstdint>
#include <cstring>

#include "diag/entry.h"
#include "env/env.h"

namespace {
constexpr sb4 kErrWrongMode = 21301;

sword Fail(OCIError *err, sb4 code) {
    AddErrorRecord(err, OCI_ERROR, code);
    return OCI_ERROR;
}

sword MissingArgument(OCIError *err, const char *position) {
    AddErrorRecordStringX(err, OCI_ERROR, kErrBadArgument, 1, position);
    return OCI_ERROR;
}

bool ObjectMode(const OCIEnv *env) { return (env->mode & OCI_OBJECT) != 0; }

// Checks the handles and the environment's mode, then runs work().
template <class Work, class... Args>
sword StringEntry(const char *name, OCIEnv *envhp, OCIError *err, Work &&work, const char *argNames,
                  Args... args) {
    auto *env = HandleAs<OCIEnv>(envhp, HANDLE_OCIEnv);
    if (env == nullptr || HandleAs<OCIError>(err, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({name, 0}, env, err, [&]() -> sword {
        if (!ObjectMode(env)) return Fail(err, kErrWrongMode);
        return work();
    }, argNames, args...);
}

// The same for the two calls without an error handle; their records go to
// the environment's own one.
template <class Work, class... Args>
sword StringQuery(const char *name, OCIEnv *env, Work &&work, const char *argNames, Args... args) {
    return RunEntry({name, 0}, env, env->errhp, [&]() -> sword {
        if (!ObjectMode(env)) return Fail(env->errhp, kErrWrongMode);
        return work();
    }, argNames, args...);
}

// A terminated buffer of `size` text bytes, zero-filled, or null.
char *NewText(size_t size) { return static_cast<char *>(o2pCalloc(size + 1, 1)); }

// Gives *str `buffer` as its text (with its two sizes), creating the record
// when *str is null. The old text is released only after the new one is in
// place, so a value may be assigned from itself. On failure `buffer` is
// released, *str is left as it was and false is returned.
bool Install(OCIString **str, char *buffer, ub4 length, ub4 allocSize) {
    OCIString *target = *str;
    if (target == nullptr) {
        target = o2pNew<OCIString>();
        if (target == nullptr) {
            o2pFree(buffer);
            return false;
        }
    }
    char *old = target->text;
    target->text = buffer;
    target->length = length;
    target->allocSize = allocSize;
    o2pFree(old);
    *str = target;
    return true;
}
}  // namespace

OCI_EXPORT sword OCIStringAssign(OCIEnv *env, OCIError *err, const OCIString *rhs, OCIString **lhs) {
    return StringEntry("OCIStringAssign", env, err, [&]() -> sword {
        if (rhs == nullptr) return MissingArgument(err, "3");
        if (lhs == nullptr) return MissingArgument(err, "4");
        // The text is read no further than the buffer it was given.
        const char *source = rhs->text != nullptr ? rhs->text : "";
        const size_t size = strnlen(source, rhs->text != nullptr ? rhs->allocSize : 0);
        char *copy = NewText(size);
        if (copy == nullptr) return Fail(err, kErrNoMemory);
        std::memcpy(copy, source, size);
        // The length never claims more bytes than were copied.
        const ub4 length = rhs->length < size ? rhs->length : static_cast<ub4>(size);
        if (!Install(lhs, copy, length, static_cast<ub4>(size))) return Fail(err, kErrNoMemory);
        return OCI_SUCCESS;
    }, OCI_ARGS(env, err, rhs, lhs));
}

OCI_EXPORT sword OCIStringAssignText(OCIEnv *env, OCIError *err, const oratext *rhs, ub4 rhs_len, OCIString **lhs) {
    return StringEntry("OCIStringAssignText", env, err, [&]() -> sword {
        if (rhs == nullptr) return MissingArgument(err, "3");
        if (lhs == nullptr) return MissingArgument(err, "5");
        // The text is rhs_len bytes, or less when a terminator comes first.
        // Nothing past rhs_len is read: the application's buffer may end
        // there, so whether the text would have gone on cannot be asked.
        const char *source = reinterpret_cast<const char *>(rhs);
        const size_t size = strnlen(source, rhs_len);
        char *copy = NewText(size);
        if (copy == nullptr) return Fail(err, kErrNoMemory);
        std::memcpy(copy, source, size);
        if (!Install(lhs, copy, static_cast<ub4>(size), static_cast<ub4>(size))) return Fail(err, kErrNoMemory);
        return OCI_SUCCESS;
    }, OCI_ARGS(env, err, rhs, rhs_len, lhs));
}

OCI_EXPORT sword OCIStringResize(OCIEnv *env, OCIError *err, ub4 new_size, OCIString **str) {
    return StringEntry("OCIStringResize", env, err, [&]() -> sword {
        if (str == nullptr) return MissingArgument(err, "4");
        if (new_size == 0) {
            if (*str != nullptr) {
                o2pFree((*str)->text);
                o2pDelete(*str);
                *str = nullptr;
            }
            return OCI_SUCCESS;
        }
        // One byte more than asked for keeps the text terminated even when the
        // application fills the whole size.
        char *buffer = NewText(new_size);
        if (buffer == nullptr) return Fail(err, kErrNoMemory);
        if (!Install(str, buffer, 0, new_size)) return Fail(err, kErrNoMemory);
        return OCI_SUCCESS;
    }, OCI_ARGS(env, err, new_size, str));
}

OCI_EXPORT ub4 OCIStringSize(OCIEnv *env, const OCIString *vs) {
    if (HandleAs<OCIEnv>(env, HANDLE_OCIEnv) == nullptr) return static_cast<ub4>(OCI_INVALID_HANDLE);
    ub4 size = 0;
    const sword rc = StringQuery("OCIStringSize", env, [&]() -> sword {
        size = vs != nullptr ? vs->length : 0;
        return OCI_SUCCESS;
    }, OCI_ARGS(env, vs));
    return rc == OCI_SUCCESS ? size : UINT32_MAX;
}

OCI_EXPORT oratext *OCIStringPtr(OCIEnv *env, const OCIString *vs) {
    if (HandleAs<OCIEnv>(env, HANDLE_OCIEnv) == nullptr) return nullptr;
    oratext *pointer = nullptr;
    const sword rc = StringQuery("OCIStringPtr", env, [&]() -> sword {
        if (vs != nullptr) pointer = reinterpret_cast<oratext *>(vs->text);
        return OCI_SUCCESS;
    }, OCI_ARGS(env, vs));
    return rc == OCI_SUCCESS ? pointer : nullptr;
}

OCI_EXPORT sword OCIStringAllocSize(OCIEnv *env, OCIError *err, const OCIString *vs, ub4 *allocsize) {
    return StringEntry("OCIStringAllocSize", env, err, [&]() -> sword {
        if (vs == nullptr) return MissingArgument(err, "3");
        if (allocsize == nullptr) return MissingArgument(err, "4");
        *allocsize = vs->allocSize;
        return OCI_SUCCESS;
    }, OCI_ARGS(env, err, vs, allocsize));
}
