#include "win/wide.h"

#include <windows.h>

#include "text/cp1252.h"
#include "text/utf16.h"

namespace quelt::win {

std::wstring Wide(std::string_view utf8) { return WideFromUtf8(utf8); }

std::string Utf8(std::wstring_view text) { return Utf8FromWide(text); }

std::wstring WideFromWire(std::string_view cp1252) {
  std::wstring out;
  out.reserve(cp1252.size());
  for (char c : cp1252) {
    out.push_back(static_cast<wchar_t>(Cp1252ToCodePoint(static_cast<unsigned char>(c))));
  }
  return out;
}

}  // namespace quelt::win
