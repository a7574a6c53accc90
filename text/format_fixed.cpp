// FormatFixed: the analyser's firmware expects exactly the digits of a
// rounding on the 80-bit extended format, ties and near-ties included. The steps run
// on the double's exact binary value with integer arithmetic (see
// extended_float.h), never on long double.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "text/extended_float.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

using detail::BigUInt;
using detail::Extended;

constexpr std::size_t kMaxLength = 30;
// More decimals than fit in kMaxLength characters change nothing: every digit
// after the 17th decimal is 0, so the kept prefix stays the same.
constexpr std::int32_t kMaxDecimals = 40;

constexpr std::uint64_t kPow10[] = {1ull,
                                    10ull,
                                    100ull,
                                    1000ull,
                                    10000ull,
                                    100000ull,
                                    1000000ull,
                                    10000000ull,
                                    100000000ull,
                                    1000000000ull,
                                    10000000000ull,
                                    100000000000ull,
                                    1000000000000ull,
                                    10000000000000ull,
                                    100000000000000ull,
                                    1000000000000000ull,
                                    10000000000000000ull,
                                    100000000000000000ull,
                                    1000000000000000000ull,
                                    10000000000000000000ull};

// A finite, non-negative double as mant * 2^exp2, exactly.
struct Binary {
  std::uint64_t mant;
  int exp2;
};

Binary Decompose(double m) {
  const auto bits = std::bit_cast<std::uint64_t>(m);
  const auto field = static_cast<int>((bits >> 52) & 0x7ff);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (field == 0) return {fraction, -1074};  // zero or subnormal
  return {fraction | (std::uint64_t{1} << 52), field - 1075};
}

// m < 16 * 10^k, decided exactly.
bool BelowSixteenTimesPow10(Binary m, int k) {
  BigUInt lhs(m.mant);
  BigUInt rhs = BigUInt::Pow5(k);
  const int shift = m.exp2 - (k + 4);
  if (shift > 0) lhs.ShiftLeft(shift);
  if (shift < 0) rhs.ShiftLeft(-shift);
  return Compare(lhs, rhs) < 0;
}

// The smallest k >= 0 with m < 16 * 10^k: m / 10^k then lies below 16, and
// from 16 on at or above 1.6, so 18 or 19 significant digits are kept.
int ScaleExponent(double m, Binary b) {
  if (m < 16.0) return 0;
  int k = std::max(0, static_cast<int>(std::floor(std::log10(m / 16.0))));
  while (!BelowSixteenTimesPow10(b, k)) ++k;
  while (k > 0 && BelowSixteenTimesPow10(b, k - 1)) --k;
  return k;
}

// 10^k as the extended format holds it: exact up to 10^27, rounded above.
Extended PowerOfTen(int k) { return detail::RoundToExtended(BigUInt::Pow5(k), k); }

// The magnitude rounded to 17 decimals after the scaling: the result N stands
// for N * 10^(k - 17).
std::uint64_t ScaledDigits(Binary b, int k) {
  Extended q;
  if (k == 0) {
    q = detail::RoundToExtended(BigUInt(b.mant), b.exp2);  // exact
  } else {
    const Extended ten = PowerOfTen(k);
    q = detail::RoundToExtended(BigUInt(b.mant), BigUInt(ten.mant), b.exp2 - ten.exp2);
  }
  const Extended product = detail::MulExtended(q, kPow10[17]);
  return detail::RoundToIntegerEven(product);
}

}  // namespace

std::string FormatFixed(double value, std::int32_t decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";

  const std::int32_t d = std::clamp(decimals, std::int32_t{0}, kMaxDecimals);
  const double m = std::fabs(value);
  std::uint64_t n = 0;
  int k = 0;
  if (m != 0.0) {
    const Binary b = Decompose(m);
    k = ScaleExponent(m, b);
    n = ScaledDigits(b, k);
  }

  // The text holds n * 10^(k - 17), written as an integer count of 10^-d.
  std::string digits;
  const int tens = k - 17 + d;
  if (tens >= 0) {
    digits = std::to_string(n);
    if (n != 0) digits.append(static_cast<std::size_t>(tens), '0');
  } else {
    const int drop = -tens;
    std::uint64_t kept = 0;
    if (drop <= 19) {
      kept = n / kPow10[drop];
      const std::uint64_t firstDropped = (n / kPow10[drop - 1]) % 10;
      if (firstDropped >= 5) ++kept;
    }
    digits = std::to_string(kept);
  }
  const auto fracLen = static_cast<std::size_t>(d);
  if (digits.size() < fracLen + 1) digits.insert(0, fracLen + 1 - digits.size(), '0');

  std::string text;
  if (std::signbit(value)) text += '-';
  text.append(digits, 0, digits.size() - fracLen);
  if (d > 0) {
    text += ',';
    text.append(digits, digits.size() - fracLen, fracLen);
  }
  if (text.size() > kMaxLength) text.resize(kMaxLength);
  return text;
}

}  // namespace quelt
