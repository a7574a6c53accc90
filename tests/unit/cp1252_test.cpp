#include <string>

#include <gtest/gtest.h>

#include "text/cp1252.h"

namespace quelt {
namespace {

using namespace std::string_literals;

TEST(Cp1252, EveryByteSurvivesUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
}

TEST(Cp1252, ExactlyTheTwoHundredFiftySixCharacters) {
  int representable = 0;
  for (char32_t cp = 0; cp < 0x10000; ++cp) {
    const auto byte = CodePointToCp1252(cp);
    EXPECT_EQ(byte.has_value(), IsCp1252Representable(cp));
    if (!byte) continue;
    ++representable;
    EXPECT_EQ(Cp1252ToCodePoint(*byte), cp);
  }
  EXPECT_EQ(representable, 256);
}

TEST(Cp1252, KnownCharacters) {
  EXPECT_EQ(Cp1252ToUtf8("Metan\xed \x80 \x81\x8d\x8f\x90\x9d \x9f"),
            "Metan\xc3\xad \xe2\x82\xac \xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d \xc5\xb8");
  EXPECT_EQ(Utf8ToCp1252("Erdgas \xc3\x84\xc3\x9f \xe2\x80\x9c"), "Erdgas \xc4\xdf \x93");
  EXPECT_EQ(Utf8ToCp1252(""), "");
  EXPECT_EQ(Utf8ToCp1252("a\0b"s), "a\0b"s);
}

TEST(Cp1252, RefusesWhatItCannotHold) {
  const std::string refused[] = {
      "\xc4\x80",          // U+0100, outside Windows-1252
      "\xc2\x80",          // U+0080: byte 0x80 is the euro sign
      "\xf0\x9f\x94\xa5",  // beyond the basic plane
      "\xc0\x80",          // overlong NUL
      "\xe0\x80\xaf",      // overlong '/'
      "\xed\xa0\x80",      // surrogate
      "\xf4\x90\x80\x80",  // beyond U+10FFFF
      "\xe2\x82",          // cut short
      "\x80",              // lone continuation byte
      "abc\xff",           // not UTF-8 at all
      "\xc3",              // lead byte at the end
  };
  for (const std::string& s : refused) EXPECT_FALSE(Utf8ToCp1252(s).has_value()) << s;
}

}  // namespace
}  // namespace quelt
