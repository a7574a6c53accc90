#include "fuel/row_compare.h"

#include <algorithm>

#include "fuel/fuel_row.h"
#include "text/cp1252.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

std::string FieldName(std::size_t index) {
  if (index < FuelFields().size()) return FuelFields()[index].gridTitle;
  return "field " + std::to_string(index + 1);
}

// The value a field stands for, as the wire carries it: a missing field
// reads as 0 or empty, as every reader of a row takes it.
std::string Canonical(std::size_t index, const std::string_view* text) {
  const std::string_view raw = text == nullptr ? std::string_view() : std::string_view(*text);
  if (index >= FuelFields().size()) return std::string(raw);
  const FuelFieldInfo& info = FuelFields()[index];
  if (info.field == FuelField::Description) return std::string(raw);
  if (info.wireDecimals < 0) return std::to_string(ParseIntLenient(raw));
  return FormatFixed(ParseFloatLenient(raw), info.wireDecimals);
}

}  // namespace

std::vector<std::string> RowDifferences(int position, std::string_view sent,
                                        std::string_view back) {
  return RowDifferences(position, sent, back, "sent", "read back");
}

std::vector<std::string> RowDifferences(int position, std::string_view sent, std::string_view back,
                                        const char* sentName, const char* backName) {
  const auto want = SplitRowFields(sent), got = SplitRowFields(back);
  std::vector<std::string> out;
  const std::string row = "Row " + std::to_string(position) + ", ";
  // N is left out: an analyser may number its replies its own way, and the
  // read renumbers the rows by their place anyway.
  for (std::size_t i = 1; i < std::max({want.size(), got.size(), FuelFields().size()}); ++i) {
    const std::string_view* w = i < want.size() ? &want[i] : nullptr;
    const std::string_view* g = i < got.size() ? &got[i] : nullptr;
    if (Canonical(i, w) == Canonical(i, g)) continue;
    const std::string sentText = w ? QuotedDeviceText(*w) : "nothing";
    const std::string backText = g ? QuotedDeviceText(*g) : "nothing";
    out.push_back(row + FieldName(i) + ": " + sentName + " " + sentText + ", " + backName + " " +
                  backText);
  }
  return out;
}

std::optional<int> CountOfReply(std::string_view reply) {
  const std::string_view field = reply.substr(0, reply.find(';'));
  // The digits the integer rule takes: after the first '$' a run of hex
  // digits, else the first run of decimal digits, unless a '-' leads it.
  const std::size_t dollar = field.find('$');
  const bool hex = dollar != std::string_view::npos;
  const auto isDigit = [hex](char c) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')));
  };
  std::size_t at = hex ? dollar + 1 : field.find_first_of("-0123456789");
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t end = at;
  while (end < field.size() && isDigit(field[end])) ++end;
  // No digit (a lone '$', or a '-' without one), or a negative count.
  if (end == at) return std::nullopt;
  while (at + 1 < end && field[at] == '0') ++at;
  // More than three significant digits is above 999 in either base, and
  // where it is longer still it would overflow the parser's 32 bits.
  if (end - at > 3) return std::nullopt;
  const std::int32_t value = ParseIntLenient(field);
  if (value < 0 || value > 999) return std::nullopt;
  return value;
}

std::string PlainDeviceText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      out += HexEscape(b);
    } else {
      out += c;
    }
  }
  return out;
}

std::string DeviceText(std::string_view cp1252) { return Cp1252ToUtf8(PlainDeviceText(cp1252)); }

std::string QuotedDeviceText(std::string_view cp1252) {
  std::string out(1, '"');
  out += DeviceText(cp1252);
  out += '"';
  return out;
}

}  // namespace quelt
