#include <string>

#include <gtest/gtest.h>

#include "fuel/fuel_row.h"

namespace quelt {
namespace {

using namespace std::string_literals;

TEST(FuelFields, TableFollowsFieldOrder) {
  int decimals = 0;
  for (int i = 0; i < kFuelFieldCount; ++i) {
    const auto f = static_cast<FuelField>(i);
    EXPECT_EQ(InfoOf(f).field, f);
    EXPECT_EQ(InfoOf(f).displayDecimals, InfoOf(f).wireDecimals);
    decimals += IsDecimalField(f) ? 1 : 0;
  }
  EXPECT_EQ(decimals, 7);
  EXPECT_STREQ(InfoOf(FuelField::RefO2).displayLabel, "O2-Bezug");
  EXPECT_STREQ(InfoOf(FuelField::Soot).gridTitle, "Soot");
}

TEST(FuelRowText, ReadsLeniently) {
  const ParsedFuelRow r = ReadFuelRowText("4;16;Erdgas H;12,1;0,64;0,009;3.0;7,70;9,40;31,68;0");
  EXPECT_EQ(r.N, 4);
  EXPECT_EQ(r.ID, 16);
  EXPECT_EQ(r.Description, "Erdgas H");
  EXPECT_EQ(r.Co2Max, 12.1);
  EXPECT_EQ(r.A2, 0.64);
  EXPECT_EQ(r.B, 0.009);
  EXPECT_EQ(r.RefO2, 3.0);
  EXPECT_EQ(r.Vatr, 7.7);
  EXPECT_EQ(r.Vaf, 9.4);
  EXPECT_EQ(r.HU, 31.68);
  EXPECT_EQ(r.Soot, 0);

  const ParsedFuelRow few = ReadFuelRowText("3;9; Gas \xed ");
  EXPECT_EQ(few.Description, " Gas \xed ");  // untrimmed, bytes unchanged
  EXPECT_EQ(few.HU, 0.0);
  EXPECT_EQ(few.Soot, 0);

  const ParsedFuelRow extra = ReadFuelRowText("1;2;x;1;2;3;4;5;6;7;8;99;100;");
  EXPECT_EQ(extra.Soot, 8);
  EXPECT_EQ(ReadFuelRowText("").Description, "");
}

TEST(FuelRowText, WritesFixedDecimalsWithClosingSemicolon) {
  struct Case {
    const char* read;
    int position;
    const char* written;
  };
  const Case cases[] = {
      {"4;16;Erdgas H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0", 4,
       "4;16;Erdgas H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;"},
      {"2;7;Light oil;15,40;0,680;0,0070;3;10,5;12;42,7;1", 2,
       "2;7;Light oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;"},
      // The position, not the stored N, goes first.
      {"9;-3;;-0,04;;;;;;;-1", 1, "1;-3;;-0,0;0,00;0,000;0,0;0,00;0,00;0,00;-1;"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WriteFuelRowText(ReadFuelRowText(c.read).ToRow(), c.position), c.written);
  }
}

TEST(FuelRowText, WrittenRowReadsBackAtItsPrecision) {
  FuelRow row;
  row.ID = 123456;
  row.Description = "Holz \xe4\xf6\xfc 30%";
  row.Co2Max = 20.35;
  row.A2 = 0.655;
  row.B = 0.0125;
  row.RefO2 = 13;
  row.Vatr = 4.444;
  row.Vaf = 5.556;
  row.HU = 17.999;
  row.Soot = -2;
  const FuelRow back = ReadFuelRowText(WriteFuelRowText(row, 5)).ToRow();
  EXPECT_EQ(back.N, 5);
  EXPECT_EQ(back.ID, row.ID);
  EXPECT_EQ(back.Description, row.Description);
  EXPECT_EQ(back.Co2Max, 20.4);
  EXPECT_EQ(back.A2, 0.66);
  EXPECT_EQ(back.B, 0.013);
  EXPECT_EQ(back.RefO2, 13.0);
  EXPECT_EQ(back.Vatr, 4.44);
  EXPECT_EQ(back.Vaf, 5.56);
  EXPECT_EQ(back.HU, 18.0);
  EXPECT_EQ(back.Soot, -2);
}

TEST(FuelRow, NullFieldsReadAndWriteAsZero) {
  FuelRow row = ReadFuelRowText("1;7;Oil;15,4;0,68;0,007;3;10,5;12;42,7;1").ToRow();
  row.SetNull(FuelField::HU);
  row.SetNull(FuelField::ID);
  row.SetNull(FuelField::Description);
  EXPECT_TRUE(row.IsNull(FuelField::HU));
  EXPECT_EQ(row.Decimal(FuelField::HU), 0.0);
  EXPECT_EQ(row.HU, 0.0);
  EXPECT_EQ(row.Integer(FuelField::ID), 0);
  EXPECT_EQ(WriteFuelRowText(row, 1), "1;0;;15,4;0,68;0,007;3,0;10,50;12,00;0,00;1;");

  row.SetDecimal(FuelField::HU, 40.5);
  EXPECT_FALSE(row.IsNull(FuelField::HU));
  EXPECT_EQ(row.Decimal(FuelField::HU), 40.5);
  row.SetDecimal(FuelField::ID, 3.0);  // not a decimal field: ignored
  EXPECT_TRUE(row.IsNull(FuelField::ID));
}

TEST(ParsedFuelRow, SixteenBitFieldsAndDescriptionLength) {
  struct Case {
    const char* text;
    bool fits;
  };
  const Case cases[] = {
      {"32767;0;;;;;;;;;-32768", true}, {"-32768;0;;;;;;;;;32767", true},
      {"32768;0;;;;;;;;;0", false},     {"1;0;;;;;;;;;-32769", false},
      {"1;2147483647;;;;;;;;;0", true},  // ID is 32 bits wide
  };
  for (const Case& c : cases) EXPECT_EQ(ReadFuelRowText(c.text).FitsRow(), c.fits) << c.text;

  const std::string longName(45, 'x');
  const ParsedFuelRow r = ReadFuelRowText("1;2;" + longName + ";1");
  EXPECT_EQ(r.Description.size(), 45u);
  EXPECT_EQ(r.ToRow().Description, std::string(30, 'x'));
  EXPECT_EQ(ReadFuelRowText("1;2;a\0b;1"s).ToRow().Description, "a\0b"s);
}

}  // namespace
}  // namespace quelt
