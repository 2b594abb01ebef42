// Waiting on a connection's socket with winsock's select().
#include <winsock2.h>

#include "platform/os.h"

namespace os {

bool WaitSocket(int socket, bool forWrite) {
    if (socket < 0) return false;
    const SOCKET s = static_cast<SOCKET>(socket);
    for (;;) {
        fd_set readable, writable;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        FD_SET(s, &readable);
        if (forWrite) FD_SET(s, &writable);
        const int rc = select(0, &readable, forWrite ? &writable : nullptr, nullptr, nullptr);
        if (rc > 0) return true;
        if (rc == SOCKET_ERROR && WSAGetLastError() != WSAEINTR) return false;
    }
}

bool SocketReadable(int socket) {
    if (socket < 0) return false;
    const SOCKET s = static_cast<SOCKET>(socket);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval now{0, 0};
    return select(0, &readable, nullptr, nullptr, &now) > 0;
}

}  // namespace os
