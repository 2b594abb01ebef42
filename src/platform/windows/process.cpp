// Process environment on Windows.
#include <windows.h>

#include <stdio.h>
#include <time.h>

#include "platform/os.h"
#include "platform/windows/text.h"

namespace os {

std::string HostName() {
    wchar_t name[256];
    DWORD length = 256;
    if (!GetComputerNameExW(ComputerNameDnsHostname, name, &length)) return std::string();
    return WideToCodePage(std::wstring(name, length), CP_UTF8);
}

long LocalUtcOffset(time_t when, const struct tm &local) {
    // The broken-down local time read back as if it were UTC, less the real
    // instant, is the offset in effect.
    struct tm copy = local;
    const __time64_t asUtc = _mkgmtime64(&copy);
    if (asUtc == -1) return 0;
    return static_cast<long>(asUtc - static_cast<__time64_t>(when));
}

void LockStream(FILE *stream) { _lock_file(stream); }
void UnlockStream(FILE *stream) { _unlock_file(stream); }

}  // namespace os
