#include "fuel/row_check.h"

#include <cmath>
#include <cstdio>

#include "text/cp1252.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

bool IsForbiddenDescriptionByte(unsigned char b) {
  if (b < 0x20 || b == 0x7F || b == ';') return true;
  // Undefined in Windows-1252: no character the analyser could show.
  return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

constexpr double kLargestExactWhole = 1e15;

}  // namespace

std::optional<std::string> DecimalWireProblem(FuelField field, double value) {
  const FuelFieldInfo& info = InfoOf(field);
  const std::string label = info.gridTitle;
  if (std::isnan(value)) return label + " is not a number (NaN)";
  if (std::isinf(value)) return label + " is infinite";
  // The wire text holds at most 30 characters: beyond that its integer digits
  // are cut and the analyser would store a value many times smaller. Reading
  // the text back is the test that cannot miss a case.
  const std::string wire = FormatFixed(value, info.wireDecimals);
  const double back = ParseFloatLenient(wire);
  const double step = std::pow(10.0, -info.wireDecimals);
  if (std::fabs(back - value) > step / 2 * (1 + 1e-9) + std::fabs(value) * 1e-15) {
    char shown[64];
    std::snprintf(shown, sizeof shown, "%g", value);
    return label + " " + shown + " is too large for the analyser (its text would be cut)";
  }
  // A double carries 15 significant digits exactly: a value with more
  // before the decimal mark would reach the analyser as other digits
  // ("99999999999999991400000000000,0" for 29 nines).
  if (std::fabs(value) >= kLargestExactWhole) {
    char shown[64];
    std::snprintf(shown, sizeof shown, "%g", value);
    return label + " " + shown +
           " has more digits before the decimal mark than the wire carries exactly";
  }

  return std::nullopt;
}

std::optional<std::string> RoundingNote(FuelField field, double value) {
  const FuelFieldInfo& info = InfoOf(field);
  if (info.wireDecimals < 0 || !std::isfinite(value)) return std::nullopt;
  const std::string wire = FormatFixed(value, info.wireDecimals);
  if (ParseFloatLenient(wire) == value) return std::nullopt;
  char shown[64];
  std::snprintf(shown, sizeof shown, "%.15g", value);
  return std::string(info.gridTitle) + " " + shown + " is sent as " + wire + " (the wire carries " +
         std::to_string(info.wireDecimals) + (info.wireDecimals == 1 ? " decimal)" : " decimals)");
}

std::optional<std::string> DescriptionProblem(std::string_view cp1252) {
  for (const char c : cp1252) {
    const auto b = static_cast<unsigned char>(c);
    if (b == ';') return std::string("the description holds a ';', which would split the row");
    if (b == '\r') return std::string("the description holds a carriage return");
    if (IsForbiddenDescriptionByte(b)) {
      return "the description holds the control character " + HexEscape(b);
    }
  }
  if (cp1252.size() > kDescriptionMax) {
    return std::string("the description is longer than 30 characters");
  }
  return std::nullopt;
}

std::optional<std::string> RowProblem(const FuelRow& row) {
  if (auto problem = DescriptionProblem(row.Description)) return problem;
  for (const FuelFieldInfo& info : FuelFields()) {
    if (!IsDecimalField(info.field)) continue;
    if (auto problem = DecimalWireProblem(info.field, row.Decimal(info.field))) return problem;
  }
  return std::nullopt;
}

std::string ShowField(std::string_view utf8) {
  constexpr int kMaxShown = 40;
  std::string out;
  int shown = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    if (shown == kMaxShown) return out + "...";
    const auto b = static_cast<unsigned char>(utf8[i]);
    std::size_t len = 1;
    if (b >= 0xF0) {
      len = 4;
    } else if (b >= 0xE0) {
      len = 3;
    } else if (b >= 0xC0) {
      len = 2;
    }
    if (b < 0x20 || b == 0x7F || (b >= 0x80 && b < 0xC0) || i + len > utf8.size()) {
      out += HexEscape(b);
      len = 1;
    } else {
      out.append(utf8.substr(i, len));
    }
    i += len;
    ++shown;
  }
  return out;
}

}  // namespace quelt
