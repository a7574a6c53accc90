// ParseFloatLenient over any bytes: a finite result, ',' and '.' alike, 0
// without a digit; and FormatFixed's text reads back within half a unit.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "text/text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const double v = quelt::ParseFloatLenient(text);
  if (!std::isfinite(v)) std::abort();
  if (text.find_first_of("0123456789") == std::string::npos && v != 0.0) std::abort();

  std::string swapped = text;
  for (char& c : swapped) {
    if (c == ',') {
      c = '.';
    } else if (c == '.') {
      c = ',';
    }
  }
  const double w = quelt::ParseFloatLenient(swapped);
  if (std::memcmp(&v, &w, sizeof v) != 0) std::abort();

  if (size >= 9) {
    double x = 0;
    std::memcpy(&x, data, sizeof x);
    const int d = data[8] % 5;
    if (std::isfinite(x) && std::fabs(x) < 1e15) {
      const double back = quelt::ParseFloatLenient(quelt::FormatFixed(x, d));
      const double unit = std::pow(10.0, -d);
      if (std::fabs(back - x) > unit / 2 * (1 + 1e-9) + std::fabs(x) * 1e-15) std::abort();
    }
  }
  return 0;
}
