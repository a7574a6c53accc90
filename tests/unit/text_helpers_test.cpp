#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/unit/x87_reference.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

using namespace std::string_literals;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(NextField, WalksFieldsAndPastTheEnd) {
  struct Step {
    std::string field;
    std::int32_t posAfter;
  };
  struct Case {
    std::string text;
    std::int32_t start;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"a;;b", 1, {{"a", 3}, {"", 4}, {"b", 6}, {"", 7}, {"", 8}}},
      {"", 1, {{"", 2}, {"", 3}}},
      {"a;", 1, {{"a", 3}, {"", 4}}},
      {";", 1, {{"", 2}, {"", 3}}},
      {"abc", 2, {{"bc", 5}}},
      {"ab;cd", 3, {{"", 4}, {"cd", 7}}},  // starting on the ';' itself
      {"ab;cd", 0, {{"ab", 4}}},           // before the start reads from the start
      {"ab;cd", -7, {{"ab", 4}}},
      {"x\0y;z"s, 1, {{"x\0y"s, 5}, {"z", 7}}},
  };
  for (const Case& c : cases) {
    std::int32_t pos = c.start;
    for (const Step& s : c.steps) {
      EXPECT_EQ(NextField(c.text, pos), s.field) << c.text << " @" << c.start;
      EXPECT_EQ(pos, s.posAfter) << c.text << " @" << c.start;
    }
  }
}

TEST(NextField, PositionNeverWraps) {
  std::int32_t pos = kMax - 1;
  EXPECT_EQ(NextField("abc", pos), "");
  EXPECT_EQ(pos, kMax);
  EXPECT_EQ(NextField("abc", pos), "");
  EXPECT_EQ(pos, kMax);
}

TEST(IntText, WidthAndZeroPadding) {
  struct Case {
    std::int32_t value, width;
    const char* spaced;
    const char* zeroed;
  };
  const Case cases[] = {
      {7, 0, "7", "7"},
      {-12, 0, "-12", "-12"},
      {7, 2, " 7", "07"},
      {9, 2, " 9", "09"},
      {10, 2, "10", "10"},
      {100, 2, "100", "100"},
      {1, 2, " 1", "01"},
      {-5, 4, "  -5", "00-5"},
      {42, -3, "42", "42"},
      {kMin, 0, "-2147483648", "-2147483648"},
      {kMax, 12, "  2147483647", "002147483647"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IntToStrWidth(c.value, c.width), c.spaced) << c.value << "/" << c.width;
    EXPECT_EQ(ZeroPadInt(c.value, c.width), c.zeroed) << c.value << "/" << c.width;
  }
  // An absurd width pads to a sane bound instead of allocating gigabytes.
  EXPECT_EQ(IntToStrWidth(1, kMax).size(), 255u);
}

TEST(ParseIntLenient, Table) {
  struct Case {
    std::string text;
    std::int32_t value;
  };
  const Case cases[] = {
      {"42", 42},
      {"12abc", 12},
      {"abc 7", 7},
      {"5-3", 5},
      {"+5", 5},
      {"-17", -17},
      {"  -0", 0},
      {"-", 0},
      {"--5", 0},
      {"-x5", 0},
      {"", 0},
      {"abc", 0},
      {"-2147483648", kMin},
      {"2147483647", kMax},
      {"2147483648", 0},
      {"-2147483649", 0},
      {"99999999999999999999999", 0},
      {"000000000000000000000000012", 12},
      {"$FF", 255},
      {"$ff", 255},
      {"$FFFFFFFF", -1},
      {"$80000000", kMin},
      {"$0000000012345678", 0x12345678},  // leading zeros are not significant
      {"$123456789", 0},
      {"$", 0},
      {"$G1", 0},
      {"12 $1f", 31},
      {"x$1Fzz", 31},
      {"$-5", 0},
      {"\xe4$a", 10},  // text before the '$' is dropped
      {"7\0"
       "8"s,
       7},
      {"\xff\xfe"
       "3",
       3},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseIntLenient(c.text), c.value) << c.text;
}

TEST(ParseFloatLenient, Table) {
  struct Case {
    std::string text;
    double value;
  };
  const Case cases[] = {
      {"12,1", 12.1},
      {"12.1", 12.1},
      {" 3,0 %", 3.0},
      {"+2", 2.0},
      {"-0,5", -0.5},
      {".5", 0.5},
      {",5", 0.5},
      {"5.", 5.0},
      {".", 0.0},
      {"-", 0.0},
      {"-.", 0.0},
      {"--5", 0.0},
      {"1,2,3", 0.0},
      {"1.234,5", 0.0},
      {"1e5", 1.0},
      {"abc", 0.0},
      {"", 0.0},
      {"x-4.25y", -4.25},
      {"7-3", 7.0},
      {"0,0070", 0.007},
      {"15,40 ; 3", 15.4},
      {"1" + std::string(400, '0'), 0.0},  // beyond the double range
      {"0," + std::string(400, '0') + "5", 0.0},
      {"123456.789", 123456.789},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseFloatLenient(c.text), c.value) << c.text;
  EXPECT_TRUE(std::signbit(ParseFloatLenient("-0,0")));
}

TEST(UpperCaseGerman, OnlyAsciiLettersAndUmlauts) {
  EXPECT_EQ(UpperCaseGerman("abc xyz AZ 09"), "ABC XYZ AZ 09");
  EXPECT_EQ(UpperCaseGerman("\xe4\xf6\xfc"), "\xc4\xd6\xdc");  // äöü
  // ß, é and the upper half otherwise stay as they are.
  EXPECT_EQ(UpperCaseGerman("\xdf\xe9\xe0\xff"), "\xdf\xe9\xe0\xff");
  EXPECT_EQ(UpperCaseGerman("a\0b"s), "A\0B"s);
}

TEST(ScaleForDpi, KnownSizes) {
  struct Case {
    std::int32_t value, dpi, scaled;
  };
  const Case cases[] = {
      {290, 96, 290},    {294, 96, 294},    {290, 120, 362}, {294, 120, 368},  // 362.5 and 367.5
      {290, 144, 435},   {294, 144, 441},   {290, 72, 218},  {294, 72, 220},
      {-290, 120, -362}, {290, 0, 0},       {0, 120, 0},     {kMax, 96, kMax},
      {kMax, 192, kMax}, {kMin, 192, kMin},  // saturates instead of wrapping
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleForDpi(c.value, c.dpi), c.scaled) << c.value << " @" << c.dpi;
  }
}

TEST(ScaleForDpi, MatchesX87Arithmetic) {
  if (!testref::X87Available()) GTEST_SKIP() << "long double is not the x87 extended format here";
  for (std::int32_t dpi = 48; dpi <= 400; dpi += 1) {
    if (dpi == 96) continue;
    for (std::int32_t v = -20; v <= 1000; v += v < 300 ? 1 : 7) {
      ASSERT_EQ(ScaleForDpi(v, dpi), testref::X87ScaleForDpi(v, dpi)) << v << " @" << dpi;
    }
  }
}

// Every helper takes any bytes without crashing or reading past its input
// (the sanitizer build and the fuzz targets check the reading part).
TEST(Helpers, TakeNastyInput) {
  const std::string nasty[] = {
      "",
      "\0"s,
      "\0;\0;\0"s,
      ";;;;;;;;;;;;",
      "-",
      "+",
      "$",
      ",",
      ".",
      "-$",
      "$-",
      "-,.",
      std::string(100000, '9'),
      std::string(100000, ';'),
      "$" + std::string(5000, 'F'),
      "-" + std::string(5000, '0') + "1",
      "\x80\x81\xff\xfe;\xe4\xf6\xfc",
      "1;2;\xa0;3,5;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;",
      "\r\n\t 12 \r",
  };
  for (const std::string& s : nasty) {
    std::int32_t pos = 1;
    std::string joined;
    for (int i = 0; i < 1000 && pos <= static_cast<std::int32_t>(s.size()) + 1; ++i) {
      if (i > 0) joined += ';';
      joined += NextField(s, pos);
    }
    // The fields put back together give the text again.
    if (s.size() < 1000) {
      EXPECT_EQ(joined, s);
    }
    (void)ParseIntLenient(s);
    (void)ParseFloatLenient(s);
    EXPECT_EQ(UpperCaseGerman(s).size(), s.size());
  }
  EXPECT_EQ(ParseIntLenient(std::string(100000, '9')), 0);
  EXPECT_EQ(ParseFloatLenient(std::string(100000, '9')), 0.0);
  EXPECT_EQ(ParseIntLenient("$" + std::string(5000, 'F')), 0);
  EXPECT_EQ(ParseIntLenient("-" + std::string(5000, '0') + "1"), -1);
}

}  // namespace
}  // namespace quelt
