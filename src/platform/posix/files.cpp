// File services on POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os.h"

namespace os {

int OpenFile(const char *name, int flags, int permissions) {
    int fd;
    do fd = open(name, flags | O_CLOEXEC, permissions);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int64_t ReadFile(int fd, void *buffer, uint32_t length) {
    ssize_t count;
    do count = read(fd, buffer, length);
    while (count < 0 && errno == EINTR);
    return count;
}

int64_t WriteFile(int fd, const void *buffer, uint32_t length) {
    ssize_t count;
    do count = write(fd, buffer, length);
    while (count < 0 && errno == EINTR);
    return count;
}

int CloseFile(int fd) { return close(fd); }

int64_t SeekFile(int fd, int64_t offset, int whence) {
    return lseek(fd, static_cast<off_t>(offset), whence);
}

int SyncFile(int fd) { return fsync(fd); }

bool FileSize(const char *name, uint64_t *size) {
    struct stat status;
    if (stat(name, &status) != 0) return false;
    *size = static_cast<uint64_t>(status.st_size);
    return true;
}

int StandardStream(int which) {
    switch (which) {
    case 0: return STDIN_FILENO;
    case 1: return STDOUT_FILENO;
    default: return STDERR_FILENO;
    }
}

}  // namespace os
