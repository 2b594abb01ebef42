// OCIFile: operating-system files through plain descriptors, with OCI argument
// checks and OCI error numbers.
#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include <oci1.h>

#include "diag/entry.h"
#include "env/env.h"
#include "platform/env_flags.h"
#include "platform/os.h"

struct OCIFileObject {
    int fd;
    // The process's own standard streams are handed out, never closed: a
    // later open would reuse descriptor 0, 1 or 2 and whatever the process
    // prints would land in that file.
    bool standardStream;
};

namespace {
constexpr sb4 kErrInvalidArgument = 30150;
constexpr sb4 kErrFileExists = 30151;
constexpr sb4 kErrFileNotFound = 30152;
constexpr sb4 kErrIo = 30155;
constexpr sb4 kErrNoSpace = 30156;
constexpr sb4 kErrSystemCall = 30157;
constexpr sb4 kErrUninitialised = 30162;

constexpr ub4 kCreateFlags = OCI_FILE_CREATE | OCI_FILE_EXCL | OCI_FILE_TRUNCATE | OCI_FILE_APPEND;
constexpr int kNewFilePermissions = 0666;  // narrowed by the process umask

sword Fail(OCIError *err, sb4 code) {
    AddErrorRecord(err, OCI_ERROR, code);
    return OCI_ERROR;
}

// Reports the operating-system error `error` (an errno value).
sword FailWithErrno(OCIError *err, int error) {
    ClearErrorHandle(err);
    switch (error) {
    case EEXIST: return Fail(err, kErrFileExists);
    case ENOENT: return Fail(err, kErrFileNotFound);
    case EINVAL: return Fail(err, kErrSystemCall);
    case ENOSPC: return Fail(err, kErrNoSpace);
    default: return Fail(err, kErrIo);
    }
}

// Checks the two leading handles, then runs work(env) as an entry point.
template <class Work, class... Args>
sword FileEntry(const char *name, void *hndl, OCIError *err, Work &&work, const char *argNames, Args... args) {
    auto *env = HandleAs<OCIEnv>(hndl, HANDLE_OCIEnv);
    if (env == nullptr || HandleAs<OCIError>(err, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({name, 0}, env, err, [&]() -> sword { return work(env); }, argNames, args...);
}

bool Initialised(const OCIEnv *env) { return PlatformFlagIsSet(env, PLATFORM_FILE_INITIALISED); }

std::string FileName(const OraText *path, const OraText *filename) {
    std::string name(reinterpret_cast<const char *>(path));
    name += '/';
    name += reinterpret_cast<const char *>(filename);
    return name;
}

// The open(2) flags for an access mode and a set of creation options, or -1
// when the combination is not one the caller may ask for.
int OpenFlags(ub4 mode, ub4 create) {
    int flags;
    switch (mode) {
    case OCI_FILE_READ_ONLY: flags = O_RDONLY; break;
    case OCI_FILE_WRITE_ONLY: flags = O_WRONLY; break;
    case OCI_FILE_READ_WRITE: flags = O_RDWR; break;
    default: return -1;
    }
    if (create == 0 || (create & ~kCreateFlags) != 0) return -1;
    // Truncating a file opened only for reading is left unspecified by POSIX.
    if ((create & OCI_FILE_TRUNCATE) && mode == OCI_FILE_READ_ONLY) return -1;
    if (create & OCI_FILE_CREATE) flags |= O_CREAT;
    // The exclusive option means "create, and fail when it exists"; without
    // O_CREAT the exclusive flag would be undefined.
    if (create & OCI_FILE_EXCL) flags |= O_CREAT | O_EXCL;
    if (create & OCI_FILE_TRUNCATE) flags |= O_TRUNC;
    if (create & OCI_FILE_APPEND) flags |= O_APPEND;
    return flags;
}

sword NewFileObject(OCIError *err, OCIFileObject **filep, int fd, bool standardStream) {
    auto *file = o2pNew<OCIFileObject>();
    if (file == nullptr) {
        if (!standardStream) os::CloseFile(fd);
        return Fail(err, kErrNoMemory);
    }
    file->fd = fd;
    file->standardStream = standardStream;
    *filep = file;
    return OCI_SUCCESS;
}
}  // namespace

OCI_EXPORT sword OCIFileInit(void *hndl, OCIError *err) {
    return FileEntry("OCIFileInit", hndl, err, [&](OCIEnv *env) -> sword {
        SetPlatformFlag(env, PLATFORM_FILE_INITIALISED, true);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err));
}

OCI_EXPORT sword OCIFileTerm(void *hndl, OCIError *err) {
    return FileEntry("OCIFileTerm", hndl, err, [&](OCIEnv *env) -> sword {
        SetPlatformFlag(env, PLATFORM_FILE_INITIALISED, false);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err));
}

OCI_EXPORT sword OCIFileOpen(void *hndl, OCIError *err, OCIFileObject **filep, OraText *filename, OraText *path,
                             ub4 mode, ub4 create, ub4 type) {
    return FileEntry("OCIFileOpen", hndl, err, [&](OCIEnv *env) -> sword {
        if (!Initialised(env)) return Fail(err, kErrUninitialised);
        if (filep == nullptr) return Fail(err, kErrInvalidArgument);
        *filep = nullptr;
        switch (type) {
        case OCI_FILE_STDIN: return NewFileObject(err, filep, os::StandardStream(0), true);
        case OCI_FILE_STDOUT: return NewFileObject(err, filep, os::StandardStream(1), true);
        case OCI_FILE_STDERR: return NewFileObject(err, filep, os::StandardStream(2), true);
        case OCI_FILE_BIN:
        case OCI_FILE_TEXT: break;
        default: return Fail(err, kErrInvalidArgument);
        }
        if (filename == nullptr || path == nullptr) return Fail(err, kErrInvalidArgument);
        const int flags = OpenFlags(mode, create);
        if (flags < 0) return Fail(err, kErrInvalidArgument);
        const std::string name = FileName(path, filename);
        const int fd = os::OpenFile(name.c_str(), flags, kNewFilePermissions);
        if (fd < 0) return FailWithErrno(err, errno);
        return NewFileObject(err, filep, fd, false);
    }, OCI_ARGS(hndl, err, filep, filename, path, mode, create, type));
}

OCI_EXPORT sword OCIFileClose(void *hndl, OCIError *err, OCIFileObject *filep) {
    return FileEntry("OCIFileClose", hndl, err, [&](OCIEnv *env) -> sword {
        if (!Initialised(env)) return Fail(err, kErrUninitialised);
        if (filep == nullptr) return Fail(err, kErrInvalidArgument);
        if (!filep->standardStream && filep->fd >= 0 && os::CloseFile(filep->fd) != 0) {
            // The descriptor is gone whatever close(2) reported; the object
            // stays, and closing it again releases it without touching a
            // descriptor that may by then belong to another file.
            const int error = errno;
            filep->fd = -1;
            return FailWithErrno(err, error);
        }
        o2pDelete(filep);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, filep));
}

OCI_EXPORT sword OCIFileRead(void *hndl, OCIError *err, OCIFileObject *filep, void *bufp, ub4 bufl,
                             ub4 *bytesread) {
    return FileEntry("OCIFileRead", hndl, err, [&](OCIEnv *env) -> sword {
        if (!Initialised(env)) return Fail(err, kErrUninitialised);
        if (filep == nullptr || bufp == nullptr || bytesread == nullptr) return Fail(err, kErrInvalidArgument);
        const int64_t count = os::ReadFile(filep->fd, bufp, bufl);
        if (count < 0) {
            *bytesread = UINT32_MAX;
            return FailWithErrno(err, errno);
        }
        *bytesread = static_cast<ub4>(count);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, filep, bufp, bufl, bytesread));
}

OCI_EXPORT sword OCIFileWrite(void *hndl, OCIError *err, OCIFileObject *filep, void *bufp, ub4 buflen,
                              ub4 *byteswritten) {
    return FileEntry("OCIFileWrite", hndl, err, [&](OCIEnv *env) -> sword {
        if (!Initialised(env)) return Fail(err, kErrUninitialised);
        if (filep == nullptr || bufp == nullptr || byteswritten == nullptr) return Fail(err, kErrInvalidArgument);
        const int64_t count = os::WriteFile(filep->fd, bufp, buflen);
        if (count < 0) {
            *byteswritten = UINT32_MAX;
            return FailWithErrno(err, errno);
        }
        *byteswritten = static_cast<ub4>(count);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, filep, bufp, buflen, byteswritten));
}

OCI_EXPORT sword OCIFileSeek(void *hndl, OCIError *err, OCIFileObject *filep, uword origin, ubig_ora offset,
                             sb1 dir) {
    return FileEntry("OCIFileSeek", hndl, err, [&](OCIEnv *) -> sword {
        if (filep == nullptr) return Fail(err, kErrInvalidArgument);
        if (dir != OCI_FILE_FORWARD && dir != OCI_FILE_BACKWARD) return Fail(err, kErrInvalidArgument);
        int whence;
        switch (origin) {
        case OCI_FILE_SEEK_BEGINNING: whence = SEEK_SET; break;
        case OCI_FILE_SEEK_CURRENT: whence = SEEK_CUR; break;
        case OCI_FILE_SEEK_END: whence = SEEK_END; break;
        default: return Fail(err, kErrInvalidArgument);
        }
        // An offset beyond what a file position can hold cannot be negated
        // or passed on.
        if (offset > static_cast<ubig_ora>(INT64_MAX)) return Fail(err, kErrInvalidArgument);
        int64_t distance = static_cast<int64_t>(offset);
        if (dir == OCI_FILE_BACKWARD) distance = -distance;
        if (os::SeekFile(filep->fd, distance, whence) < 0) return FailWithErrno(err, errno);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, filep, origin, offset, dir));
}

OCI_EXPORT sword OCIFileExists(void *hndl, OCIError *err, OraText *filename, OraText *path, ub1 *flag) {
    return FileEntry("OCIFileExists", hndl, err, [&](OCIEnv *env) -> sword {
        if (!Initialised(env)) return Fail(err, kErrUninitialised);
        if (filename == nullptr || path == nullptr || flag == nullptr) return Fail(err, kErrInvalidArgument);
        uint64_t size;
        *flag = os::FileSize(FileName(path, filename).c_str(), &size) ? TRUE : FALSE;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, filename, path, flag));
}

OCI_EXPORT sword OCIFileGetLength(void *hndl, OCIError *err, OraText *filename, OraText *path, ubig_ora *lenp) {
    return FileEntry("OCIFileGetLength", hndl, err, [&](OCIEnv *env) -> sword {
        if (!Initialised(env)) return Fail(err, kErrUninitialised);
        if (filename == nullptr || path == nullptr || lenp == nullptr) return Fail(err, kErrInvalidArgument);
        uint64_t size;
        if (!os::FileSize(FileName(path, filename).c_str(), &size)) return FailWithErrno(err, errno);
        *lenp = static_cast<ubig_ora>(size);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, filename, path, lenp));
}

OCI_EXPORT sword OCIFileFlush(void *hndl, OCIError *err, OCIFileObject *filep) {
    return FileEntry("OCIFileFlush", hndl, err, [&](OCIEnv *env) -> sword {
        if (!Initialised(env)) return Fail(err, kErrUninitialised);
        if (filep == nullptr) return Fail(err, kErrInvalidArgument);
        if (os::SyncFile(filep->fd) != 0) return FailWithErrno(err, errno);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, filep));
}
