// FuelRow: one fuel of the analyser's table, and its semicolon-separated text
// form as it travels on the wire.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quelt {

// The eleven fields, in table order (which is also the order of the text).
enum class FuelField : int { N, ID, Description, Co2Max, A2, B, RefO2, Vatr, Vaf, HU, Soot };
inline constexpr int kFuelFieldCount = 11;
inline constexpr std::size_t kDescriptionMax = 30;

struct FuelFieldInfo {
  FuelField field;
  const char* name;          // "Co2Max"
  const char* displayLabel;  // "O2-Bezug": names the field in validation messages
  const char* gridTitle;     // "Ref.O2": the grid's column title
  int gridWidth;             // column width in pixels at 96 dpi
  int displayDecimals;       // display pattern "0.00" -> 2; -1 for non-decimal fields
  int wireDecimals;          // decimals in the written text; -1 for non-decimal fields
};
const std::array<FuelFieldInfo, kFuelFieldCount>& FuelFields();
const FuelFieldInfo& InfoOf(FuelField field);
bool IsDecimalField(FuelField field);

// What an integer field holds: ID 32 bits, N and Soot 16 bits.
struct IntegerRange {
  std::int64_t lo = 0, hi = 0;
  bool Holds(std::int64_t value) const { return value >= lo && value <= hi; }
  std::string Text() const { return std::to_string(lo) + ".." + std::to_string(hi); }
};
IntegerRange RangeOf(FuelField field);

struct FuelRow {
  std::int16_t N = 0;
  std::int32_t ID = 0;
  std::string Description;  // Windows-1252, at most kDescriptionMax characters
  double Co2Max = 0, A2 = 0, B = 0, RefO2 = 0, Vatr = 0, Vaf = 0, HU = 0;
  std::int16_t Soot = 0;

  // Fields that hold no value (an editor emptied by the user). A field without
  // a value reads as 0 or "" everywhere except on screen.
  std::uint16_t nullMask = 0;
  bool IsNull(FuelField f) const { return nullMask & (1u << static_cast<int>(f)); }
  void SetNull(FuelField f, bool isNull = true);

  double Decimal(FuelField f) const;        // one of the seven decimal fields
  void SetDecimal(FuelField f, double v);   // also marks the field as set
  std::int32_t Integer(FuelField f) const;  // N, ID or Soot

  friend bool operator==(const FuelRow&, const FuelRow&) = default;
};

// Result of reading a row text. The integers are kept wide so that the
// caller, not the parser, decides what to do with values beyond 16 bits.
struct ParsedFuelRow {
  std::int32_t N = 0;
  std::int32_t ID = 0;
  std::string Description;  // unchanged, not trimmed (not yet cut to 30)
  double Co2Max = 0, A2 = 0, B = 0, RefO2 = 0, Vatr = 0, Vaf = 0, HU = 0;
  std::int32_t Soot = 0;

  // N and Soot fit their 16-bit fields.
  bool FitsRow() const;
  // The row the table stores: description cut to 30 characters.
  // Only meaningful when FitsRow().
  FuelRow ToRow() const;
};

// Reads a fuel row text leniently: ';' separates fields, ',' or '.' as the
// decimal mark, missing fields give 0 or "", fields after the eleventh ignored.
ParsedFuelRow ReadFuelRowText(std::string_view text);

// Writes the row in the wire form with `position` as the first field, fixed
// decimals with ',' and a ';' after every field: "4;16;Erdgas H;12,1;...;0;".
// Null fields write as 0 (or ""); the description is cut to 30 characters.
// A ';' inside the description is written as it is: callers refuse it.
std::string WriteFuelRowText(const FuelRow& row, std::int32_t position);

}  // namespace quelt
