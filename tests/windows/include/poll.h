// poll() for the tests of the Windows build, on winsock's WSAPoll. The
// descriptor is an int as on POSIX (libpq hands sockets out as int).
#pragma once

#include <winsock2.h>

struct oci_test_pollfd {
    int fd;
    short events;
    short revents;
};

inline int oci_test_poll(oci_test_pollfd *fds, unsigned long count, int timeout) {
    WSAPOLLFD polled[16];
    if (count > 16) return -1;
    for (unsigned long i = 0; i < count; ++i) {
        polled[i].fd = static_cast<SOCKET>(fds[i].fd);
        polled[i].events = fds[i].events;
        polled[i].revents = 0;
    }
    const int rc = WSAPoll(polled, count, timeout);
    for (unsigned long i = 0; i < count; ++i) fds[i].revents = polled[i].revents;
    return rc;
}

#define pollfd oci_test_pollfd
#define poll oci_test_poll
