// The POSIX calls the tests use that the Windows C runtime lacks, on top of
// its own equivalents. Force-included into every test program of the
// Windows build; the library itself never sees this file.
#pragma once

#include <direct.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#ifdef __cplusplus
#include <cerrno>
#include <string>

// fcntl for the one question the tests ask: is the descriptor open?
#define F_GETFD 1
inline int fcntl(int fd, int command, ...) {
    if (command != F_GETFD) {
        errno = EINVAL;
        return -1;
    }
    if (_get_osfhandle(fd) == -1) {
        errno = EBADF;
        return -1;
    }
    return 0;
}

inline int setenv(const char *name, const char *value, int overwrite) {
    if (!overwrite && getenv(name) != nullptr) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char *name) { return _putenv_s(name, "") == 0 ? 0 : -1; }

// mkdir with a mode: Windows has no permission bits to give.
inline int mkdir(const char *path, int) { return _mkdir(path); }

// Replaces the trailing XXXXXX with a name no directory has yet.
inline char *mkdtemp(char *pattern) {
    const size_t length = strlen(pattern);
    if (length < 6 || strcmp(pattern + length - 6, "XXXXXX") != 0) return nullptr;
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        unsigned value = static_cast<unsigned>(rand()) ^ (static_cast<unsigned>(_getpid()) << 8) ^ attempt;
        for (size_t i = length - 6; i < length; ++i) {
            pattern[i] = kDigits[value % 36];
            value = value / 36 + static_cast<unsigned>(rand());
        }
        if (_mkdir(pattern) == 0) return pattern;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

// open_memstream on a temporary file: the caller's buffer and length are
// filled in by fflush and fclose, as POSIX has it.
#include <map>
#include <utility>

inline std::map<FILE *, std::pair<char **, size_t *>> &oci_test_memstreams() {
    static std::map<FILE *, std::pair<char **, size_t *>> streams;
    return streams;
}

inline void oci_test_memstream_sync(FILE *file) {
    auto it = oci_test_memstreams().find(file);
    if (it == oci_test_memstreams().end()) return;
    const long end = ftell(file);
    std::string text;
    rewind(file);
    int c;
    while ((c = fgetc(file)) != EOF) text.push_back(static_cast<char>(c));
    fseek(file, end, SEEK_SET);
    char *copy = static_cast<char *>(realloc(*it->second.first, text.size() + 1));
    memcpy(copy, text.c_str(), text.size() + 1);
    *it->second.first = copy;
    *it->second.second = text.size();
}

inline FILE *open_memstream(char **buffer, size_t *length) {
    FILE *file = tmpfile();
    if (file == nullptr) return nullptr;
    *buffer = nullptr;
    *length = 0;
    oci_test_memstreams()[file] = {buffer, length};
    oci_test_memstream_sync(file);
    return file;
}

inline int oci_test_fflush(FILE *file) {
    const int rc = fflush(file);
    if (file != nullptr) oci_test_memstream_sync(file);
    return rc;
}

inline int oci_test_fclose(FILE *file) {
    fflush(file);
    oci_test_memstream_sync(file);
    oci_test_memstreams().erase(file);
    return fclose(file);
}
namespace std {
using ::oci_test_fclose;
using ::oci_test_fflush;
}
#define fflush oci_test_fflush
#define fclose oci_test_fclose

// gethostname from the system's DNS host name (posix_compat.cpp, which
// includes windows.h: a declaration here would clash with it in the tests
// that include windows.h themselves).
#ifndef HOST_NAME_MAX
#define HOST_NAME_MAX 255
#endif
int gethostname(char *name, size_t length);

// fmemopen for reading: the bytes in a temporary file, read from the start.
inline FILE *fmemopen(void *buffer, size_t size, const char *mode) {
    if (mode == nullptr || mode[0] != 'r') {
        errno = EINVAL;
        return nullptr;
    }
    FILE *file = tmpfile();
    if (file == nullptr) return nullptr;
    if (fwrite(buffer, 1, size, file) != size) {
        fclose(file);
        return nullptr;
    }
    rewind(file);
    return file;
}

// The C getline: one line including its newline into a growing buffer.
inline long getline(char **line, size_t *size, FILE *file) {
    std::string text;
    int c;
    while ((c = fgetc(file)) != EOF) {
        text.push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    if (text.empty()) return -1;
    if (*line == nullptr || *size < text.size() + 1) {
        char *grown = static_cast<char *>(realloc(*line, text.size() + 1));
        if (grown == nullptr) return -1;
        *line = grown;
        *size = text.size() + 1;
    }
    memcpy(*line, text.c_str(), text.size() + 1);
    return static_cast<long>(text.size());
}
#endif
