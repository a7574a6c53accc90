#include "fuel/table_file.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "fuel/backup_file.h"
#include "fuel/read_file.h"
#include "fuel/row_check.h"
#include "text/cp1252.h"
#include "text/text_helpers.h"

namespace quelt {

namespace {

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t semi = line.find(';', start);
    if (semi == std::string_view::npos) {
      fields.push_back(line.substr(start));
      break;
    }
    fields.push_back(line.substr(start, semi - start));
    start = semi + 1;
  }
  // "a;b;" ends with an empty field that only closes the row.
  if (fields.size() > 1 && fields.back().empty()) fields.pop_back();
  return fields;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::optional<std::int64_t> StrictInteger(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

std::optional<double> StrictDecimal(std::string_view s) {
  s = Trim(s);
  std::string text(s);
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

RowFile ParseRowFile(std::string_view utf8Text) {
  RowFile result;
  int lineNo = 0;
  auto fail = [&](const std::string& message) {
    result.rows.clear();
    result.error = RowFileError{lineNo, message};
    return result;
  };

  std::size_t start = utf8Text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;  // a byte order mark
  while (start < utf8Text.size()) {
    std::size_t end = utf8Text.find('\n', start);
    if (end == std::string_view::npos) end = utf8Text.size();
    std::string_view line = utf8Text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (Trim(line).empty() || Trim(line).front() == '#') continue;

    const auto fields = SplitFields(line);
    if (fields.size() != kFuelFieldCount) {
      return fail("expected 11 fields separated by ';', found " + std::to_string(fields.size()) +
                  (fields.size() > kFuelFieldCount ? " (a ';' inside the description?)" : ""));
    }

    FuelRow row;
    for (int f = 0; f < kFuelFieldCount; ++f) {
      const auto field = static_cast<FuelField>(f);
      const std::string_view text = fields[static_cast<std::size_t>(f)];
      const char* label = InfoOf(field).gridTitle;
      if (field == FuelField::Description) {
        const auto bytes = Utf8ToCp1252(text);
        if (!bytes) {
          return fail("the description holds a character that the analyser cannot store");
        }
        // A CR ends the command on the wire (the analyser would store the row
        // cut there); other control characters garble it.
        if (auto problem = DescriptionProblem(*bytes)) {
          return fail(*problem + ": '" + ShowField(text) + "'");
        }
        row.Description = *bytes;
      } else if (IsDecimalField(field)) {
        const auto value = StrictDecimal(text);
        if (!value) return fail(std::string(label) + " '" + ShowField(text) + "' is not a number");
        if (auto problem = DecimalWireProblem(field, *value)) return fail(*problem);
        row.SetDecimal(field, *value);
      } else {
        const auto value = StrictInteger(text);
        if (!value)
          return fail(std::string(label) + " '" + ShowField(text) + "' is not an integer");
        const IntegerRange range = RangeOf(field);
        if (!range.Holds(*value)) {
          return fail(std::string(label) + " " + std::to_string(*value) + " is outside " +
                      range.Text());
        }
        if (field == FuelField::N) row.N = static_cast<std::int16_t>(*value);
        if (field == FuelField::ID) row.ID = static_cast<std::int32_t>(*value);
        if (field == FuelField::Special) row.Special = static_cast<std::int16_t>(*value);
      }
    }
    result.rows.push_back(row);
  }
  return result;
}

std::string FormatRowLine(const FuelRow& row, int position) {
  return Cp1252ToUtf8(WriteFuelRowText(row, position));
}

std::string FormatTableFile(const std::vector<FuelRow>& rows) {
  std::string text = "# QUELT fuel table: N;ID;Description;Co2Max;A2;B;RefO2;Vatr;Vaf;HU;Soot\n";
  int position = 0;
  for (const FuelRow& row : rows) text += FormatRowLine(row, ++position) + "\n";
  return text;
}

std::optional<std::vector<FuelRow>> ReadTableFile(const std::filesystem::path& path,
                                                  std::string* error) {
  const auto bytes = ReadInputFile(path, PathText(path), error);
  if (!bytes) return std::nullopt;
  RowFile file = ParseRowFile(*bytes);
  if (file.error) {
    *error = PathText(path.filename()) + ", line " + std::to_string(file.error->line) + ": " +
             file.error->message;
    return std::nullopt;
  }
  // Rows are numbered 1.. in N.
  const std::int64_t maxRows = RangeOf(FuelField::N).hi;
  if (static_cast<std::int64_t>(file.rows.size()) > maxRows) {
    *error = PathText(path.filename()) + ": more than " + std::to_string(maxRows) + " rows";
    return std::nullopt;
  }
  return std::move(file.rows);
}

}  // namespace quelt
