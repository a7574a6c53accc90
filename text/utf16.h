// UTF-8 and the UTF-16 of the Win32 W calls (Windows only): the command
// line's arguments and console, and every text of the Win32 window.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace quelt {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace quelt

#endif
