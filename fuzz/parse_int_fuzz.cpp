// ParseIntLenient over any bytes, against a reference built on from_chars,
// and the round trip through IntToStrWidth.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "text/text_helpers.h"

namespace {

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::int32_t Reference(std::string_view s) {
  const std::size_t dollar = s.find('$');
  if (dollar != std::string_view::npos) {
    std::size_t b = dollar + 1;
    std::size_t e = b;
    while (e < s.size() && IsHex(s[e])) ++e;
    while (b < e && s[b] == '0') ++b;
    if (e - b > 8) return 0;
    if (b == e) return 0;
    std::uint32_t v = 0;
    std::from_chars(s.data() + b, s.data() + e, v, 16);
    return static_cast<std::int32_t>(v);
  }
  const std::size_t i = s.find_first_of("-0123456789");
  if (i == std::string_view::npos) return 0;
  std::int32_t v = 0;
  const auto r = std::from_chars(s.data() + i, s.data() + s.size(), v);
  return r.ec == std::errc{} ? v : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::int32_t hex0 = quelt::ParseIntLenient("$0");
  if (hex0 != 0) std::abort();
  if (quelt::ParseIntLenient(text) != Reference(text)) std::abort();

  if (size >= 8) {
    std::int32_t value = 0;
    std::int32_t width = 0;
    std::memcpy(&value, data, 4);
    std::memcpy(&width, data + 4, 4);
    width %= 300;
    const std::string written = quelt::IntToStrWidth(value, width);
    if (quelt::ParseIntLenient(written) != value) std::abort();
    if (width > 0 && written.size() < static_cast<std::size_t>(width) && width <= 255) std::abort();
  }
  return 0;
}
