#include "fuel/field_ranges.h"

#include <array>

#include "lang/format.h"
#include "lang/tr.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

// Combustion figures of every fuel the analyser knows, with room to spare:
// see docs/FIELDS.md.
constexpr std::array<FieldRange, 7> kRanges = {{
    {FuelField::Co2Max, 0, 30, "%"},
    {FuelField::A2, 0, 2, ""},
    {FuelField::B, 0, 0.1, ""},
    {FuelField::RefO2, 0, 21, "%"},
    {FuelField::Vatr, 0, 50, ""},
    {FuelField::Vaf, 0, 50, ""},
    {FuelField::HU, 0, 200, ""},
}};

// The wire's text of a value, with the given decimal mark.
std::string WireValue(FuelField field, double value, char mark) {
  std::string text = FormatFixed(value, InfoOf(field).wireDecimals);
  for (char& c : text) {
    if (c == ',') c = mark;
  }
  // Trailing zeros after the mark say nothing here: "45" rather than "45,0".
  const std::size_t at = text.find(mark);
  if (at != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == mark) text.pop_back();
  }
  return text;
}

std::string Bound(double value, char mark) {
  std::string text = FormatFixed(value, 3);
  for (char& c : text) {
    if (c == ',') c = mark;
  }
  while (text.find(mark) != std::string::npos && text.back() == '0') text.pop_back();
  if (text.back() == mark) text.pop_back();
  return text;
}

std::string WithUnit(const std::string& number, const char* unit) {
  return unit[0] == 0 ? number : number + " " + unit;
}

}  // namespace

std::optional<FieldRange> PlausibleRange(FuelField field) {
  for (const FieldRange& r : kRanges) {
    if (r.field == field) return r;
  }
  return std::nullopt;
}

bool OutsideRange(FuelField field, double value) {
  const auto range = PlausibleRange(field);
  if (!range) return false;
  // What the analyser gets: 30,04 travels as 30,0 and is within 0 to 30.
  const double sent = ParseFloatLenient(FormatFixed(value, InfoOf(field).wireDecimals));
  return !(sent >= range->lo && sent <= range->hi);
}

std::string RangeText(FuelField field, double value, char decimalMark) {
  const auto range = PlausibleRange(field);
  if (!range) return {};
  return lang::Format(lang::Tr("{1} is outside the plausible range {2} to {3} for {4}"),
                      WithUnit(WireValue(field, value, decimalMark), range->unit),
                      Bound(range->lo, decimalMark),
                      WithUnit(Bound(range->hi, decimalMark), range->unit), InfoOf(field).name);
}

std::vector<std::string> ImplausibleValues(const FuelRow& row, int position) {
  std::vector<std::string> lines;
  for (const FieldRange& r : kRanges) {
    const double value = row.Decimal(r.field);
    if (!OutsideRange(r.field, value)) continue;
    lines.push_back("Row " + std::to_string(position) + ", " + InfoOf(r.field).name + ": " +
                    WithUnit(WireValue(r.field, value, ','), r.unit) + " is outside " +
                    Bound(r.lo, ',') + " to " + WithUnit(Bound(r.hi, ','), r.unit));
  }
  return lines;
}

}  // namespace quelt
