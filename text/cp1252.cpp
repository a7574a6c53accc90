#include "text/cp1252.h"

#include <array>
#include <cstdint>

namespace quelt {
namespace {

// 0x80..0x9F; the rest of the byte range is Latin-1.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

void AppendUtf8(std::string& out, char32_t cp) {
  auto put = [&](std::uint32_t v) { out += static_cast<char>(v); };
  const auto c = static_cast<std::uint32_t>(cp);
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else {
    // Every Windows-1252 character lies in the basic plane.
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

// Decodes one character at `i` and moves `i` past it; nullopt on any
// malformed, overlong, surrogate or out-of-range sequence.
std::optional<char32_t> DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  std::size_t extra = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    cp = lead & 0x1Fu;
    min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    cp = lead & 0x0Fu;
    min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    cp = lead & 0x07u;
    min = 0x10000;
  } else {
    return std::nullopt;
  }
  if (s.size() - i <= extra) return std::nullopt;
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  i += extra + 1;
  return cp;
}

}  // namespace

char32_t Cp1252ToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHigh[byte - 0x80u];
  return byte;
}

std::optional<unsigned char> CodePointToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (std::size_t k = 0; k < kHigh.size(); ++k) {
    if (kHigh[k] == cp) return static_cast<unsigned char>(0x80 + k);
  }
  return std::nullopt;
}

bool IsCp1252Representable(char32_t cp) { return CodePointToCp1252(cp).has_value(); }

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::optional<std::string> Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::optional<char32_t> cp = DecodeUtf8(utf8, i);
    if (!cp) return std::nullopt;
    const std::optional<unsigned char> byte = CodePointToCp1252(*cp);
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}

}  // namespace quelt
