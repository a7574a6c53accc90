// FormatFixed on doubles made of the input bytes: at most 30 characters of
// digits, ',' and '-', the sign exactly when the sign bit is set, and the
// same digits as the x87 where this compiler's long double is that format.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/unit/x87_reference.h"
#include "text/text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 9) return 0;
  static const bool x87 = quelt::testref::X87Available();
  double v = 0;
  std::memcpy(&v, data, sizeof v);
  const int d = static_cast<int>(static_cast<std::int8_t>(data[8])) % 48;
  const std::string text = quelt::FormatFixed(v, d);
  if (text.size() > 30) std::abort();
  if (std::isnan(v) || std::isinf(v)) return 0;
  if (text.empty() || text.find_first_not_of("-0123456789,") != std::string::npos) std::abort();
  if ((text[0] == '-') != std::signbit(v)) std::abort();
  if (text.find('-', 1) != std::string::npos) std::abort();
  const std::size_t comma = text.find(',');
  if (d <= 0 && comma != std::string::npos) std::abort();
  if (d > 0 && text.size() < 30 && text.size() - comma - 1 != static_cast<std::size_t>(d))
    std::abort();
  if (d < 0 && text != quelt::FormatFixed(v, 0)) std::abort();
  if (x87 && d >= 0 && std::fabs(v) < 1.6e28 && text != quelt::testref::X87FormatFixed(v, d)) {
    std::abort();
  }
  return 0;
}
