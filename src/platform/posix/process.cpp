// Process environment on POSIX systems.
#include <limits.h>
#include <unistd.h>

#include "platform/os.h"

namespace os {

std::string HostName() {
    char name[HOST_NAME_MAX + 1];
    if (gethostname(name, sizeof name) != 0) return std::string();
    name[sizeof name - 1] = '\0';  // gethostname need not terminate a cut name
    return name;
}

long LocalUtcOffset(time_t, const struct tm &local) { return local.tm_gmtoff; }

void LockStream(FILE *stream) { flockfile(stream); }
void UnlockStream(FILE *stream) { funlockfile(stream); }

}  // namespace os
