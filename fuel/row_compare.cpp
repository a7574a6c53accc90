#include "fuel/row_compare.h"

#include <algorithm>

#include "fuel/fuel_row.h"
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
  for (std::size_t i = 0; i < std::max({want.size(), got.size(), FuelFields().size()}); ++i) {
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
  std::string_view field = reply.substr(0, reply.find(';'));
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
  if (field.empty() || field.size() > 3) return std::nullopt;
  int value = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string PlainDeviceText(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (const char c : cp1252) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      out += HexEscape(b);
    } else {
      out += c;
    }
  }
  return out;
}

std::string QuotedDeviceText(std::string_view cp1252) {
  std::string out(1, '"');
  out += PlainDeviceText(cp1252);
  out += '"';
  return out;
}

}  // namespace quelt
