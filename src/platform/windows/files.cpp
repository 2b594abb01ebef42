// File services on C runtime descriptors. Files are always opened in binary
// mode (no CR/LF translation), and names are UTF-8, passed on as UTF-16.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>

#include "platform/os.h"
#include "platform/windows/text.h"

namespace os {

int OpenFile(const char *name, int flags, int permissions) {
    std::wstring wide;
    if (!Utf8ToWide(name, &wide)) {
        errno = EINVAL;
        return -1;
    }
    // The runtime knows only the owner's write bit: a file created without
    // it is read-only.
    const int mode = _S_IREAD | ((permissions & 0200) != 0 ? _S_IWRITE : 0);
    return _wopen(wide.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
}

int64_t ReadFile(int fd, void *buffer, uint32_t length) {
    return _read(fd, buffer, length > INT_MAX ? static_cast<unsigned>(INT_MAX) : length);
}

int64_t WriteFile(int fd, const void *buffer, uint32_t length) {
    return _write(fd, buffer, length > INT_MAX ? static_cast<unsigned>(INT_MAX) : length);
}

int CloseFile(int fd) { return _close(fd); }

int64_t SeekFile(int fd, int64_t offset, int whence) { return _lseeki64(fd, offset, whence); }

int SyncFile(int fd) { return _commit(fd); }

bool FileSize(const char *name, uint64_t *size) {
    std::wstring wide;
    if (!Utf8ToWide(name, &wide)) {
        errno = EINVAL;
        return false;
    }
    struct _stat64 status;
    if (_wstat64(wide.c_str(), &status) != 0) return false;
    *size = static_cast<uint64_t>(status.st_size);
    return true;
}

int StandardStream(int which) {
    // The standard streams are switched to binary once, like every file.
    const int fd = which < 0 || which > 2 ? 2 : which;
    _setmode(fd, _O_BINARY);
    return fd;
}

}  // namespace os
