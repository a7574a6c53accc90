// The same rounding run on the x87 itself, as a reference for the
// integer emulation. Only meaningful where long double is the 80-bit format
// and the x87 rounds to 64 bits (X87Available()); shared by the unit tests
// and the fuzz targets.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace quelt::testref {

inline bool X87Available() {
  if (std::numeric_limits<long double>::digits != 64) return false;
  // The x87 may run with its precision cut to 53 bits (the Windows default).
  volatile long double one = 1.0L;
  volatile long double tiny = std::ldexp(1.0L, -63);
  volatile long double sum = one + tiny;
  return sum != one;
}

// A decimal number as integer and fraction digits.
struct Decimal {
  std::string whole;
  std::string frac;
};

// Digits of the value in units of 10^-d, rounded half up.
inline std::string RoundHalfUp(Decimal x, int d) {
  x.frac.resize(static_cast<std::size_t>(d) + 1, '0');
  std::string units = x.whole + x.frac.substr(0, static_cast<std::size_t>(d));
  if (x.frac[static_cast<std::size_t>(d)] >= '5') {
    std::size_t i = units.size();
    while (i > 0 && units[i - 1] == '9') units[--i] = '0';
    if (i == 0) {
      units.insert(0, 1, '1');
    } else {
      ++units[i - 1];
    }
  }
  const auto first = units.find_first_not_of('0');
  return first == std::string::npos ? "0" : units.substr(first);
}

// The text: sign, integer digits, ',' and d decimals, at most 30 characters.
inline std::string Compose(bool negative, std::string units, int d) {
  const auto n = static_cast<std::size_t>(d);
  if (units.size() < n + 1) units.insert(0, n + 1 - units.size(), '0');
  std::string text = negative ? "-" : "";
  text += units.substr(0, units.size() - n);
  if (d > 0) text += "," + units.substr(units.size() - n);
  return text.substr(0, 30);
}

// The smallest k with m < 16 * 10^k.
inline int ScaleExponent(double m) {
  int k = 0;
  for (long double limit = 16; !(static_cast<long double>(m) < limit); limit *= 10) ++k;
  return k;
}

// FormatFixed on the x87 for |value| < 1.6e28 (10^k exact) and 0 <= d <= 40.
inline std::string X87FormatFixed(double value, int d) {
  const long double m = std::fabs(static_cast<long double>(value));
  const int k = ScaleExponent(static_cast<double>(m));
  long double ten = 1;
  for (int i = 0; i < k; ++i) ten *= 10;
  volatile long double q = m / ten;
  volatile long double p = q * 1e17L;
  const auto n = static_cast<std::uint64_t>(std::nearbyint(static_cast<long double>(p)));
  std::string digits = std::to_string(n);
  Decimal x;
  if (k <= 17) {
    const auto fracLen = static_cast<std::size_t>(17 - k);
    if (digits.size() <= fracLen) digits.insert(0, fracLen + 1 - digits.size(), '0');
    x = {digits.substr(0, digits.size() - fracLen), digits.substr(digits.size() - fracLen)};
  } else {
    x = {digits + std::string(static_cast<std::size_t>(k - 17), '0'), ""};
  }
  return Compose(std::signbit(value), RoundHalfUp(x, d), d);
}

// ScaleForDpi on the x87, for dpi != 96 and results within 32 bits.
inline std::int32_t X87ScaleForDpi(std::int32_t value, std::int32_t dpi) {
  volatile long double ratio = static_cast<long double>(dpi) / 96;
  volatile long double percent = ratio * 100;
  const long double factor = std::nearbyint(static_cast<long double>(percent));
  volatile long double part = static_cast<long double>(value) / 100;
  volatile long double scaled = part * factor;
  return static_cast<std::int32_t>(std::nearbyint(static_cast<long double>(scaled)));
}

}  // namespace quelt::testref
