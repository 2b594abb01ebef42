// Dynamic loading through LoadLibrary and GetProcAddress.
#include <windows.h>

#include "platform/os.h"
#include "platform/windows/text.h"

namespace os {

const char kLibrarySuffix[] = ".dll";

namespace {

std::string LastErrorText(const char *subject) {
    const DWORD code = GetLastError();
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::wstring message(buffer != nullptr ? buffer : L"", length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.pop_back();
    std::string text = std::string(subject) + ": error " + std::to_string(code);
    const std::string utf8 = WideToCodePage(message, CP_UTF8);
    if (!utf8.empty()) text += " (" + utf8 + ")";
    return text;
}

}  // namespace

void *OpenLibrary(const char *file, std::string *reason) {
    std::wstring wide;
    if (!Utf8ToWide(file, &wide)) {
        *reason = std::string(file) + ": the name is not valid UTF-8";
        return nullptr;
    }
    HMODULE library = LoadLibraryW(wide.c_str());
    if (library == nullptr) *reason = LastErrorText(file);
    return reinterpret_cast<void *>(library);
}

void *FindSymbol(void *library, const char *name, std::string *reason) {
    FARPROC address = GetProcAddress(static_cast<HMODULE>(library), name);
    if (address == nullptr) {
        *reason = LastErrorText(name);
        return nullptr;
    }
    return reinterpret_cast<void *>(address);
}

}  // namespace os
