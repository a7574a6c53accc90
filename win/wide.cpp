#include "win/wide.h"

#include <windows.h>

#include "text/cp1252.h"

namespace quelt::win {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring WideFromWire(std::string_view cp1252) {
  std::wstring out;
  out.reserve(cp1252.size());
  for (char c : cp1252) {
    out.push_back(static_cast<wchar_t>(Cp1252ToCodePoint(static_cast<unsigned char>(c))));
  }
  return out;
}

}  // namespace quelt::win
