// The values a fuel row plausibly holds. The analyser stores whatever it is
// sent, so a slip of the keyboard (125 for 12,5) would go out unnoticed and
// spoil every measurement made with that fuel. A value outside its field's
// range is not refused: the window asks before it keeps it, the command line
// warns. docs/FIELDS.md gives the reasons for each range.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

struct FieldRange {
  FuelField field;
  double lo, hi;     // inclusive, compared at the wire's precision
  const char* unit;  // "%" or "" (UTF-8)
};

// The range of a decimal field; nullopt for N, ID, the description and Soot.
std::optional<FieldRange> PlausibleRange(FuelField field);

// The value as the analyser will get it (rounded as the wire rounds) lies
// outside its field's range.
bool OutsideRange(FuelField field, double value);

// "45 % is outside the plausible range 0 to 30 % for Co2Max" (UTF-8; the
// value with '.' as the decimal mark, as `decimalMark` gives).
std::string RangeText(FuelField field, double value, char decimalMark = ',');

// One line per value of `row` outside its range, naming the row by
// `position` and the field: "Row 3, Co2Max: 45 is outside 0 to 30 %".
std::vector<std::string> ImplausibleValues(const FuelRow& row, int position);

}  // namespace quelt
