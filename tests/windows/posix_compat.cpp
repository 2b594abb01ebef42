// The parts of posix_compat.h that need windows.h.
#include <windows.h>

int gethostname(char *name, size_t length) {
    DWORD size = static_cast<DWORD>(length);
    return GetComputerNameExA(ComputerNameDnsHostname, name, &size) ? 0 : -1;
}
