// FormatFixed against two independent references: the x87 itself (where the
// compiler's long double is the 80-bit format) and the double's exact decimal
// expansion, which FormatFixed may only leave at near-ties.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/unit/x87_reference.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

TEST(FormatFixed, Examples) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {31.68, 2, "31,68"},
      {0.009, 3, "0,009"},
      {12.05, 1, "12,1"},
      {0.0095, 3, "0,010"},
      {123456.789, 2, "123456,79"},
      {-0.0, 1, "-0,0"},
      {-0.04, 1, "-0,0"},
      {9.96, 1, "10,0"},
      {0.125, 2, "0,13"},
      {-0.125, 2, "-0,13"},
      {0.0045, 3, "0,005"},
      {0.045, 2, "0,05"},
      {2.675, 2, "2,67"},
      {1.45, 1, "1,4"},
      {7.7, 2, "7,70"},
      {0.5, 1, "0,5"},
      {0.5, 0, "1"},
      {0.4, 0, "0"},
      {-0.5, 0, "-1"},
      {0.0, 0, "0"},
      {0.0, 3, "0,000"},
      {12.1, 1, "12,1"},
      {31.68, 2, "31,68"},
      {9.4, 2, "9,40"},
      {0.64, 2, "0,64"},
      {99.95, 1, "100,0"},
      {1e-300, 2, "0,00"},
      {-1e-300, 2, "-0,00"},
      {5e-324, 1, "0,0"},
      {1234567.0, 0, "1234567"},
      {15.999999999999998, 17, "15,99999999999999822"},
      {1.0, 30, "1,0000000000000000000000000000"},  // cut at 30 characters
      {0.1, 20, "0,10000000000000001000"},          // 17 decimals, then zeros
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatFixed(c.value, c.decimals), c.text) << c.value << " / " << c.decimals;
  }
}

TEST(FormatFixed, OddArgumentsGiveSensibleText) {
  EXPECT_EQ(FormatFixed(2.5, -3), "3");  // negative decimals: none
  EXPECT_EQ(FormatFixed(2.5, std::numeric_limits<std::int32_t>::max()),
            "2,5000000000000000000000000000");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 2), "NAN");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 2), "INF");
  EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 2), "-INF");
  // From 10^29 on the 30-character limit cuts integer digits; 10^36 and
  // above follow the same rule.
  EXPECT_EQ(FormatFixed(1e40, 2), "100000000000000003" + std::string(12, '0'));
  EXPECT_EQ(FormatFixed(-1e40, 2), "-100000000000000003" + std::string(11, '0'));
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::max(), 0),
            "179769313486231571" + std::string(12, '0'));
}

using testref::Compose;
using testref::Decimal;
using testref::RoundHalfUp;
using testref::ScaleExponent;

// The exact decimal value of a finite non-negative double, by base-10^9
// multiplication (frexp splits the double; no bit tricks shared with the code).
Decimal ExactDecimal(double m) {
  int e = 0;
  const double f = std::frexp(m, &e);
  auto mant = static_cast<std::uint64_t>(std::ldexp(f, 53));
  int exp2 = e - 53;
  while (mant != 0 && (mant & 1) == 0) {
    mant >>= 1;
    ++exp2;
  }
  std::vector<std::uint64_t> limbs;  // base 10^9, least significant first
  for (std::uint64_t t = mant; t != 0; t /= 1000000000) limbs.push_back(t % 1000000000);
  auto mul = [&](std::uint64_t by) {
    std::uint64_t carry = 0;
    for (auto& l : limbs) {
      const std::uint64_t t = l * by + carry;
      l = t % 1000000000;
      carry = t / 1000000000;
    }
    for (; carry != 0; carry /= 1000000000) limbs.push_back(carry % 1000000000);
  };
  for (int i = 0; i < exp2; ++i) mul(2);
  for (int i = 0; i < -exp2; ++i) mul(5);
  std::string digits = limbs.empty() ? "0" : std::to_string(limbs.back());
  for (std::size_t i = limbs.size(); i-- > 1;) {
    std::string part = std::to_string(limbs[i - 1]);
    digits += std::string(9 - part.size(), '0') + part;
  }
  if (exp2 >= 0) return {digits, ""};
  const auto fracLen = static_cast<std::size_t>(-exp2);
  if (digits.size() <= fracLen) digits.insert(0, fracLen + 1 - digits.size(), '0');
  return {digits.substr(0, digits.size() - fracLen), digits.substr(digits.size() - fracLen)};
}

// Whether the dropped part of x at d decimals lies so close to one half that
// rounding at the 17th place may decide it: `places` digits after the d-th.
bool NearTie(const Decimal& x, int d, int places) {
  std::string f = x.frac;
  f.resize(static_cast<std::size_t>(d + places), '0');
  const std::int64_t dropped = std::stoll(f.substr(static_cast<std::size_t>(d)));
  std::int64_t half = 5;
  for (int i = 1; i < places; ++i) half *= 10;
  return std::llabs(dropped - half) <= 2;
}

// Values that hit ties and near-ties often (short decimal literals), values
// across magnitudes, and arbitrary bit patterns.
double RandomValue(std::mt19937_64& rng, int kind) {
  switch (kind) {
    case 0: {
      // Ending in 5 half of the time: a tie in decimal, a near-tie in binary.
      const std::string text = std::to_string(rng() % 10000000) +
                               std::to_string(rng() % 2 == 0 ? 5 : rng() % 10) + "e-" +
                               std::to_string(rng() % 8);
      double v = 0;
      std::from_chars(text.data(), text.data() + text.size(), v);
      return v;
    }
    case 1: {
      const double mant = 1.0 + std::uniform_real_distribution<double>(0.0, 9.0)(rng);
      return mant * std::pow(10.0, static_cast<int>(rng() % 20) - 8);  // up to 10^12
    }
    default: {
      double v = 0;
      do {
        const std::uint64_t bits = rng();
        std::memcpy(&v, &bits, sizeof v);
      } while (!std::isfinite(v));
      return v;
    }
  }
}

TEST(FormatFixed, MatchesExactDecimalAwayFromNearTies) {
  std::mt19937_64 rng(20241208);
  int nearTies = 0;
  for (int i = 0; i < 200000; ++i) {
    double v = RandomValue(rng, i % 2);
    if (rng() & 1) v = -v;
    const int d = static_cast<int>(rng() % 5);
    const std::string text = FormatFixed(v, d);
    const Decimal exact = ExactDecimal(std::fabs(v));
    const int places = 17 - ScaleExponent(std::fabs(v)) - d;
    ASSERT_GT(places, 0);
    const std::string expected = Compose(std::signbit(v), RoundHalfUp(exact, d), d);
    if (!NearTie(exact, d, places)) {
      ASSERT_EQ(text, expected) << "value " << v << " decimals " << d;
      continue;
    }
    ++nearTies;
    // Either neighbour is possible; which one is the x87 test's business.
    Decimal down = exact;
    down.frac.resize(static_cast<std::size_t>(d));
    Decimal up = down;
    up.frac += '5';
    const std::string lower = Compose(std::signbit(v), RoundHalfUp(down, d), d);
    const std::string upper = Compose(std::signbit(v), RoundHalfUp(up, d), d);
    ASSERT_TRUE(text == lower || text == upper) << "value " << v << " decimals " << d;
  }
  EXPECT_GT(nearTies, 1000);  // the generator does reach the interesting cases
}

TEST(FormatFixed, MatchesX87Arithmetic) {
  if (!testref::X87Available()) GTEST_SKIP() << "long double is not the x87 extended format here";
  std::mt19937_64 rng(7);
  for (int i = 0; i < 200000; ++i) {
    double v = RandomValue(rng, i % 3);
    if (rng() & 1) v = -v;
    if (std::fabs(v) >= 1.6e28) continue;  // 10^k no longer exact in the reference
    const int d = static_cast<int>(rng() % 5);
    ASSERT_EQ(FormatFixed(v, d), testref::X87FormatFixed(v, d))
        << "value " << v << " decimals " << d;
  }
}

TEST(FormatFixed, TextShape) {
  std::mt19937_64 rng(99);
  for (int i = 0; i < 20000; ++i) {
    const double v = RandomValue(rng, 2);
    const int d = static_cast<int>(rng() % 40) - 5;
    const std::string text = FormatFixed(v, d);
    ASSERT_LE(text.size(), 30u);
    ASSERT_EQ(text.find_first_not_of("-0123456789,"), std::string::npos) << text;
    // The sign only adds the '-'.
    ASSERT_EQ(FormatFixed(-std::fabs(v), d), ("-" + FormatFixed(std::fabs(v), d)).substr(0, 30));
  }
}

}  // namespace
}  // namespace quelt
