#include "text/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

#include "text/extended_float.h"

namespace quelt {
namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// Padding beyond this is a caller's mistake, not a request for gigabytes.
constexpr std::int32_t kMaxWidth = 255;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::int32_t ClampToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, kInt32Min, kInt32Max));
}

std::int32_t ParseHex(std::string_view afterDollar) {
  const std::string upper = UpperCaseGerman(afterDollar);
  std::size_t end = 0;
  while (end < upper.size() && HexDigitValue(upper[end]) >= 0) ++end;
  if (end == 0) return 0;  // a lone '$'
  std::size_t first = 0;
  while (first < end && upper[first] == '0') ++first;
  if (end - first > 8) return 0;
  std::uint32_t v = 0;
  for (std::size_t i = first; i < end; ++i) {
    v = (v << 4) | static_cast<std::uint32_t>(HexDigitValue(upper[i]));
  }
  return static_cast<std::int32_t>(v);  // the 32-bit pattern: $FFFFFFFF is -1
}

std::int32_t ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] != '-' && !IsDigit(text[i])) ++i;
  if (i == text.size()) return 0;
  const bool negative = text[i] == '-';
  if (negative) ++i;
  if (i == text.size() || !IsDigit(text[i])) return 0;  // a lone '-' or "--5"
  // Accumulate as a negative number so that -2147483648 fits; any digit that
  // would pass the 32-bit range makes the whole text unconvertible.
  std::int64_t v = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    v = v * 10 - (text[i] - '0');
    if (v < std::int64_t{kInt32Min}) return 0;
  }
  if (!negative) {
    if (-v > std::int64_t{kInt32Max}) return 0;
    return static_cast<std::int32_t>(-v);
  }
  return static_cast<std::int32_t>(v);
}

}  // namespace

std::string NextField(std::string_view text, std::int32_t& pos) {
  const auto length = static_cast<std::int64_t>(text.size());
  if (pos > length) {
    if (pos < kInt32Max) ++pos;
    return {};
  }
  const std::size_t start = pos < 1 ? 0 : static_cast<std::size_t>(pos - 1);
  const std::size_t semicolon = text.find(';', start);
  if (semicolon == std::string_view::npos) {
    pos = ClampToInt32(length + 2);
    return std::string(text.substr(start));
  }
  pos = ClampToInt32(static_cast<std::int64_t>(semicolon) + 2);
  return std::string(text.substr(start, semicolon - start));
}

std::string IntToStrWidth(std::int32_t value, std::int32_t width) {
  std::string digits = std::to_string(value);
  const auto w = static_cast<std::size_t>(std::clamp(width, std::int32_t{0}, kMaxWidth));
  if (digits.size() < w) digits.insert(0, w - digits.size(), ' ');
  return digits;
}

std::string ZeroPadInt(std::int32_t value, std::int32_t width) {
  std::string s = IntToStrWidth(value, width);
  std::replace(s.begin(), s.end(), ' ', '0');
  return s;
}

std::int32_t ParseIntLenient(std::string_view text) {
  const std::size_t dollar = text.find('$');
  if (dollar != std::string_view::npos) return ParseHex(text.substr(dollar + 1));
  return ParseDecimal(text);
}

double ParseFloatLenient(std::string_view text) {
  auto starts = [](char c) { return c == ',' || c == '.' || c == '-' || IsDigit(c); };
  std::size_t i = 0;
  while (i < text.size() && !starts(text[i])) ++i;
  if (i == text.size()) return 0.0;

  bool negative = false;
  if (text[i] == '-') {
    negative = true;
    ++i;
  }
  std::string intDigits;
  std::string fracDigits;
  bool seenMark = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ',' || c == '.') {
      if (seenMark) return 0.0;  // 1,2,3 and 1.234,5 do not convert
      seenMark = true;
    } else if (IsDigit(c)) {
      (seenMark ? fracDigits : intDigits) += c;
    } else {
      break;
    }
  }
  if (intDigits.empty() && fracDigits.empty()) return 0.0;  // "-", "." and "-."

  std::string number;
  if (negative) number += '-';
  number += intDigits.empty() ? "0" : intDigits;
  number += '.';
  number += fracDigits.empty() ? "0" : fracDigits;
  double v = 0.0;
  const auto result =
      std::from_chars(number.data(), number.data() + number.size(), v, std::chars_format::fixed);
  // Beyond the double range the text does not convert.
  if (result.ec != std::errc{}) return 0.0;
  return v;
}

std::string UpperCaseGerman(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') {
      c = static_cast<char>(u - 32);
    } else if (u == 0xE4 || u == 0xF6 || u == 0xFC) {  // ä ö ü -> Ä Ö Ü
      c = static_cast<char>(u - 32);
    }
  }
  return out;
}

std::int32_t ScaleForDpi(std::int32_t value, std::int32_t dpi) {
  if (dpi == 96) return value;
  using detail::BigUInt;
  using detail::Extended;
  auto magnitude = [](std::int32_t v) {
    return static_cast<std::uint64_t>(v < 0 ? -static_cast<std::int64_t>(v) : v);
  };
  // The extended format rounds symmetrically, so the signs can be set aside.
  const Extended ratio = detail::RoundToExtended(BigUInt(magnitude(dpi)), BigUInt(96), 0);
  const std::uint64_t factor = detail::RoundToIntegerEven(detail::MulExtended(ratio, 100));
  const Extended part = detail::RoundToExtended(BigUInt(magnitude(value)), BigUInt(100), 0);
  const std::uint64_t scaled = detail::RoundToIntegerEven(detail::MulExtended(part, factor));
  const bool negative = (value < 0) != (dpi < 0);
  // Far beyond any screen: saturate rather than wrap.
  const auto s = static_cast<std::int64_t>(std::min<std::uint64_t>(scaled, std::uint64_t{1} << 40));
  return ClampToInt32(negative ? -s : s);
}

int HexDigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::uint32_t> ParseHexDigits(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits || text.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text) {
    const int d = HexDigitValue(c);
    if (d < 0) return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(d);
  }
  return value;
}

std::string HexEscape(unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::vector<std::string_view> SplitRowFields(std::string_view row) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t semi = row.find(';', start);
    fields.push_back(row.substr(start, semi == std::string_view::npos ? semi : semi - start));
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  if (fields.size() > 1 && fields.back().empty()) fields.pop_back();
  return fields;
}

}  // namespace quelt
