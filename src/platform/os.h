// Operating-system services the rest of the library reaches through here.
// Each group has one implementation per system, in posix/ and windows/; the
// build compiles the one directory that fits the target.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

namespace os {

// ---- dynamic loading (user-callback packages)
// File-name ending of a loadable package on this system: ".so" or ".dll".
extern const char kLibrarySuffix[];
// Loads the library; null with *reason filled when it cannot be loaded.
void *OpenLibrary(const char *file, std::string *reason);
// The address of a symbol of a loaded library; null with *reason filled
// when the library has no such symbol.
void *FindSymbol(void *library, const char *name, std::string *reason);

// ---- files (OCIFile): raw descriptors, always binary, names in UTF-8
// open(2)-style flags (O_RDONLY, O_CREAT, ...); the descriptor is not
// inherited by child processes. -1 with errno set on failure.
int OpenFile(const char *name, int flags, int permissions);
int64_t ReadFile(int fd, void *buffer, uint32_t length);
int64_t WriteFile(int fd, const void *buffer, uint32_t length);
int CloseFile(int fd);
// New position, or -1 with errno set.
int64_t SeekFile(int fd, int64_t offset, int whence);
// Forces written data to storage; 0, or -1 with errno set.
int SyncFile(int fd);
// Size in bytes of a named file; false with errno set when its status
// cannot be read.
bool FileSize(const char *name, uint64_t *size);
// The descriptors of the three standard streams.
int StandardStream(int which);

// ---- sockets (waiting on the server connection)
// Blocks until the socket is readable, or writable as well when forWrite
// is set; interrupted waits are resumed. False when the wait itself fails.
bool WaitSocket(int socket, bool forWrite);
// Whether a read would return at once: data, the end of the stream or an
// error is waiting. Does not wait.
bool SocketReadable(int socket);

// ---- thread-specific values (OCIThreadKey)
// A slot holds one pointer per thread, null until the thread sets it. The
// system runs nothing for it when a thread ends: the thread package runs the
// key destructors itself. A deleted slot's number may be handed out again,
// with every thread's value null.
using ThreadSlot = uint64_t;
// False when the system has no slot left.
bool CreateThreadSlot(ThreadSlot *slot);
void DeleteThreadSlot(ThreadSlot slot);
void *ThreadSlotValue(ThreadSlot slot);
// False when memory for the value runs out.
bool SetThreadSlotValue(ThreadSlot slot, void *value);

// ---- process environment
// The name of this machine; empty when the system does not tell.
std::string HostName();
// Seconds east of UTC of the local time `local` that localtime_r gave for
// `when`.
long LocalUtcOffset(time_t when, const struct tm &local);
// Holds a stdio stream for one thread across several writes.
void LockStream(FILE *stream);
void UnlockStream(FILE *stream);

}  // namespace os
