// UTF-8 and UTF-16 conversions for the Windows wide-character API.
#include "platform/windows/text.h"

#include <windows.h>

namespace os {

bool Utf8ToWide(const char *text, std::wstring *wide) {
    wide->clear();
    if (*text == '\0') return true;
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (needed <= 0) return false;
    wide->resize(static_cast<size_t>(needed));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, &(*wide)[0], needed);
    wide->resize(static_cast<size_t>(needed) - 1);  // the terminating NUL
    return true;
}

std::string WideToCodePage(const std::wstring &wide, unsigned codePage) {
    if (wide.empty()) return std::string();
    BOOL lossy = FALSE;
    BOOL *lossyFlag = codePage == CP_UTF8 ? nullptr : &lossy;
    const int needed = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, lossyFlag);
    if (needed <= 0 || lossy) return std::string();
    std::string text(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), -1, &text[0], needed, nullptr, nullptr);
    text.resize(static_cast<size_t>(needed) - 1);
    return text;
}

}  // namespace os
