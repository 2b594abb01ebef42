// UTF-8 and UTF-16 conversions for the Windows wide-character API.
#pragma once

#include <string>

namespace os {

// The UTF-16 form of a UTF-8 text; false when the text is not valid UTF-8.
bool Utf8ToWide(const char *text, std::wstring *wide);
// The text in the given code page (CP_UTF8, CP_ACP, ...); empty when it
// cannot be represented.
std::string WideToCodePage(const std::wstring &wide, unsigned codePage);

}  // namespace os
