// Exact emulation of the few x87 extended-precision steps (64-bit mantissa,
// round to nearest, ties to even) whose results the analyser's texts and the
// dialog sizes depend on. Done with integers so that every compiler gives the
// same digits, also where long double is only a double (MSVC) or differs.
// Internal to quelt_funcs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace quelt::detail {

// Unsigned big integer, just the operations the rounding below needs.
class BigUInt {
 public:
  BigUInt() = default;
  explicit BigUInt(std::uint64_t v) {
    while (v != 0) {
      limbs_.push_back(static_cast<std::uint32_t>(v));
      v >>= 32;
    }
  }

  bool IsZero() const { return limbs_.empty(); }

  int BitLength() const {
    if (limbs_.empty()) return 0;
    std::uint32_t top = limbs_.back();
    int bits = 0;
    while (top != 0) {
      ++bits;
      top >>= 1;
    }
    return static_cast<int>(limbs_.size() - 1) * 32 + bits;
  }

  void ShiftLeft(int n) {
    if (IsZero() || n <= 0) return;
    const auto words = static_cast<std::size_t>(n / 32);
    const int bits = n % 32;
    if (bits != 0) {
      std::uint32_t carry = 0;
      for (auto& limb : limbs_) {
        const std::uint32_t next = limb >> (32 - bits);
        limb = (limb << bits) | carry;
        carry = next;
      }
      if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), words, 0u);
  }

  void ShiftRight1() {
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      const std::uint32_t high = i + 1 < limbs_.size() ? limbs_[i + 1] << 31 : 0u;
      limbs_[i] = (limbs_[i] >> 1) | high;
    }
    Trim();
  }

  void MulSmall(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (auto& limb : limbs_) {
      const std::uint64_t t = std::uint64_t{limb} * factor + carry;
      limb = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    Trim();
  }

  void MulU64(std::uint64_t factor) {
    // Two 32-bit halves: x*f = x*lo + (x*hi << 32).
    BigUInt high = *this;
    MulSmall(static_cast<std::uint32_t>(factor));
    high.MulSmall(static_cast<std::uint32_t>(factor >> 32));
    high.ShiftLeft(32);
    Add(high);
  }

  void Add(const BigUInt& other) {
    if (other.limbs_.size() > limbs_.size()) limbs_.resize(other.limbs_.size(), 0u);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      const std::uint64_t t =
          std::uint64_t{limbs_[i]} + (i < other.limbs_.size() ? other.limbs_[i] : 0u) + carry;
      limbs_[i] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
  }

  // Requires *this >= other.
  void Sub(const BigUInt& other) {
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      std::int64_t t = std::int64_t{limbs_[i]} - borrow -
                       (i < other.limbs_.size() ? std::int64_t{other.limbs_[i]} : 0);
      borrow = t < 0 ? 1 : 0;
      if (t < 0) t += std::int64_t{1} << 32;
      limbs_[i] = static_cast<std::uint32_t>(t);
    }
    Trim();
  }

  friend int Compare(const BigUInt& a, const BigUInt& b) {
    if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
    for (std::size_t i = a.limbs_.size(); i-- > 0;) {
      if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    }
    return 0;
  }

  // `count` (<= 64) bits starting at bit `from`.
  std::uint64_t Bits(int from, int count) const {
    std::uint64_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = (v << 1) | Bit(from + i);
    return v;
  }

  bool AnyBitBelow(int n) const {
    const auto words = static_cast<std::size_t>(n / 32);
    for (std::size_t i = 0; i < words && i < limbs_.size(); ++i) {
      if (limbs_[i] != 0) return true;
    }
    const int bits = n % 32;
    return bits != 0 && words < limbs_.size() && (limbs_[words] & ((1u << bits) - 1)) != 0;
  }

  static BigUInt Pow5(int k) {
    BigUInt r(1);
    for (; k >= 13; k -= 13) r.MulSmall(1220703125u);  // 5^13
    std::uint32_t rest = 1;
    for (; k > 0; --k) rest *= 5u;
    r.MulSmall(rest);
    return r;
  }

 private:
  std::uint64_t Bit(int i) const {
    const auto word = static_cast<std::size_t>(i / 32);
    return word < limbs_.size() ? (limbs_[word] >> (i % 32)) & 1u : 0u;
  }

  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }

  std::vector<std::uint32_t> limbs_;  // least significant first
};

// A non-negative extended value: mant * 2^exp2, mant normalised to
// [2^63, 2^64), or mant == 0 for zero.
struct Extended {
  std::uint64_t mant = 0;
  int exp2 = 0;
};

// num / den * 2^exp2 rounded to a 64-bit mantissa, ties to even. den > 0.
inline Extended RoundToExtended(BigUInt num, BigUInt den, int exp2) {
  if (num.IsZero()) return {};
  // Scale so that the quotient lies in (2^63, 2^65).
  const int shift = 64 - (num.BitLength() - den.BitLength());
  if (shift > 0) num.ShiftLeft(shift);
  if (shift < 0) den.ShiftLeft(-shift);

  BigUInt step = den;
  step.ShiftLeft(64);
  bool bit64 = false;
  std::uint64_t q = 0;
  for (int i = 64; i >= 0; --i) {
    if (Compare(num, step) >= 0) {
      num.Sub(step);
      if (i == 64) {
        bit64 = true;
      } else {
        q |= std::uint64_t{1} << i;
      }
    }
    step.ShiftRight1();
  }
  // num is now the remainder; compare it with half a unit in the last place.
  int e = exp2 - shift;
  int vsHalf = 0;
  if (bit64) {
    const bool lowBit = (q & 1u) != 0;
    q = (q >> 1) | (std::uint64_t{1} << 63);
    e += 1;
    vsHalf = !lowBit ? -1 : (num.IsZero() ? 0 : 1);
  } else {
    num.ShiftLeft(1);
    vsHalf = Compare(num, den);
  }
  if (vsHalf > 0 || (vsHalf == 0 && (q & 1u) != 0)) {
    ++q;
    if (q == 0) {
      q = std::uint64_t{1} << 63;
      e += 1;
    }
  }
  return {q, e};
}

// num * 2^exp2 rounded to a 64-bit mantissa, ties to even.
inline Extended RoundToExtended(const BigUInt& num, int exp2) {
  const int length = num.BitLength();
  if (length == 0) return {};
  if (length <= 64) return {num.Bits(0, 64) << (64 - length), exp2 - (64 - length)};
  const int low = length - 64;
  std::uint64_t q = num.Bits(low, 64);
  const bool half = num.Bits(low - 1, 1) != 0;
  const bool sticky = num.AnyBitBelow(low - 1);
  int e = exp2 + low;
  if (half && (sticky || (q & 1u) != 0)) {
    ++q;
    if (q == 0) {
      q = std::uint64_t{1} << 63;
      e += 1;
    }
  }
  return {q, e};
}

// x * factor, rounded to the extended format.
inline Extended MulExtended(Extended x, std::uint64_t factor) {
  BigUInt n(x.mant);
  n.MulU64(factor);
  return RoundToExtended(std::move(n), x.exp2);
}

// Nearest integer, ties to even. The value must be below 2^64.
inline std::uint64_t RoundToIntegerEven(Extended x) {
  if (x.mant == 0) return 0;
  if (x.exp2 >= 0) return x.mant << std::min(x.exp2, 63);
  const int sh = -x.exp2;
  if (sh > 64) return 0;                                           // below one half
  if (sh == 64) return x.mant > (std::uint64_t{1} << 63) ? 1 : 0;  // [0.5, 1): 0.5 goes to 0
  std::uint64_t whole = x.mant >> sh;
  const std::uint64_t frac = x.mant & ((std::uint64_t{1} << sh) - 1);
  const std::uint64_t half = std::uint64_t{1} << (sh - 1);
  if (frac > half || (frac == half && (whole & 1u) != 0)) ++whole;
  return whole;
}

}  // namespace quelt::detail
