// Text at the Win32 edge: the W calls take UTF-16; the shared layers speak
// UTF-8 (front/) and Windows-1252 (the wire, fuel/).
#pragma once

#include <string>
#include <string_view>

namespace quelt::win {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view text);
// Device text: one Windows-1252 byte, one UTF-16 unit.
std::wstring WideFromWire(std::string_view cp1252);

}  // namespace quelt::win
