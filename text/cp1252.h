// Windows-1252, the analyser's character set, and UTF-8, the front ends' one.
// The five bytes Windows-1252 leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) map
// to the control characters of the same number, so every byte the device
// sends survives a trip through UTF-8 and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelt {

// The Unicode character of a Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a Unicode character, if it has one.
std::optional<unsigned char> CodePointToCp1252(char32_t cp);

bool IsCp1252Representable(char32_t cp);

std::string Cp1252ToUtf8(std::string_view bytes);

// nullopt when the text is not valid UTF-8 or holds a character that
// Windows-1252 cannot hold.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);

}  // namespace quelt
