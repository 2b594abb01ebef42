// Waiting on a connection's socket with poll(2).
#include <poll.h>

#include <cerrno>

#include "platform/os.h"

namespace os {

bool WaitSocket(int socket, bool forWrite) {
    if (socket < 0) return false;
    pollfd pfd{};
    pfd.fd = socket;
    pfd.events = static_cast<short>(POLLIN | (forWrite ? POLLOUT : 0));
    for (;;) {
        const int rc = poll(&pfd, 1, -1);
        if (rc > 0) return true;
        if (rc < 0 && errno != EINTR) return false;
    }
}

bool SocketReadable(int socket) {
    if (socket < 0) return false;
    pollfd pfd{};
    pfd.fd = socket;
    pfd.events = POLLIN;
    int rc;
    do rc = poll(&pfd, 1, 0);
    while (rc < 0 && errno == EINTR);
    return rc > 0;
}

}  // namespace os
