#include "fuel/table_file.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "fuel/atomic_file.h"
#include "fuel/backup.h"
#include "fuel/read_file.h"
#include "fuel/report.h"
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

// The row that eleven fields give, or why they give none (naming the field).
std::optional<std::string> RowOfFields(const std::vector<std::string_view>& fields, FuelRow& row) {
  for (int f = 0; f < kFuelFieldCount; ++f) {
    const auto field = static_cast<FuelField>(f);
    const std::string_view text = fields[static_cast<std::size_t>(f)];
    const char* label = InfoOf(field).gridTitle;
    if (field == FuelField::Description) {
      const auto bytes = Utf8ToCp1252(text);
      if (!bytes)
        return std::string("the description holds a character that the analyser cannot store");
      // A CR ends the command on the wire (the analyser would store the row
      // cut there); other control characters garble it.
      if (auto problem = DescriptionProblem(*bytes))
        return *problem + ": '" + ShowField(text) + "'";
      row.Description = *bytes;
    } else if (IsDecimalField(field)) {
      const auto value = StrictDecimal(text);
      if (!value) return std::string(label) + " '" + ShowField(text) + "' is not a number";
      if (auto problem = DecimalWireProblem(field, *value)) return problem;
      row.SetDecimal(field, *value);
    } else {
      const auto value = StrictInteger(text);
      if (!value) return std::string(label) + " '" + ShowField(text) + "' is not an integer";
      const IntegerRange range = RangeOf(field);
      if (!range.Holds(*value)) {
        return std::string(label) + " " + std::to_string(*value) + " is outside " + range.Text();
      }
      if (field == FuelField::N) row.N = static_cast<std::int16_t>(*value);
      if (field == FuelField::ID) row.ID = static_cast<std::int32_t>(*value);
      if (field == FuelField::Soot) row.Soot = static_cast<std::int16_t>(*value);
    }
  }
  return std::nullopt;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
  return text.rfind("\xEF\xBB\xBF", 0) == 0 ? text.substr(3) : text;
}

// The first line that is not blank, without its line end.
std::string_view FirstLine(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    if (!line.empty()) return line;
    start = end + 1;
  }
  return {};
}

// One CSV record from `pos` on, its fields unquoted ("" in quotes is one ");
// `pos` moves past its line end and `lines` counts the line ends passed.
// False when a quote is left open.
bool NextCsvRecord(std::string_view text, std::size_t& pos, int& lines,
                   std::vector<std::string>& fields) {
  fields.clear();
  std::string cell;
  bool inQuotes = false, quoted = false;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (inQuotes) {
      if (c != '"') {
        if (c == '\n') ++lines;
        cell += c;
      } else if (pos < text.size() && text[pos] == '"') {
        cell += '"';
        ++pos;
      } else {
        inQuotes = false;
      }
    } else if (c == '"' && !quoted && Trim(cell).empty()) {
      cell.clear();
      inQuotes = quoted = true;
    } else if (c == ';') {
      fields.push_back(std::move(cell));
      cell.clear();
      quoted = false;
    } else if (c == '\n') {
      ++lines;
      break;
    } else {
      cell += c;
    }
  }
  if (!cell.empty() && cell.back() == '\r') cell.pop_back();
  fields.push_back(std::move(cell));
  return !inQuotes;
}

bool IsCsvHeader(std::string_view line) {
  std::size_t pos = 0;
  int lines = 0;
  std::vector<std::string> fields;
  if (!NextCsvRecord(line, pos, lines, fields)) return false;
  if (fields.size() > 1 && fields.back().empty()) fields.pop_back();
  if (fields.size() != static_cast<std::size_t>(kFuelFieldCount)) return false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (Trim(fields[i]) != FuelFields()[i].gridTitle) return false;
  }
  return true;
}

constexpr std::string_view kBackupHeader = "# QUELT fuel table backup";

// "line 7: why" as ParseBackup words it: the line and the reason apart.
RowFileError BackupError(const std::string& error) {
  RowFileError result{0, error};
  if (error.rfind("line ", 0) != 0) return result;
  const std::size_t colon = error.find(": ");
  if (colon == std::string::npos) return result;
  int line = 0;
  const auto [end, ec] = std::from_chars(error.data() + 5, error.data() + colon, line);
  if (ec != std::errc() || end != error.data() + colon) return result;
  return {line, error.substr(colon + 2)};
}

RowFile ParseBackupRows(std::string_view text) {
  RowFile result;
  std::string error;
  const auto backup = ParseBackup(text, &error);
  if (!backup) {
    result.error = BackupError(error);
    return result;
  }
  for (std::size_t i = 0; i < backup->rows.size(); ++i) {
    const ParsedFuelRow parsed = ReadFuelRowText(backup->rows[i]);
    if (!parsed.FitsRow()) {
      result.rows.clear();
      result.error = RowFileError{0, "row " + std::to_string(i + 1) +
                                         " of the backup does not fit a row of the table: '" +
                                         ShowField(Cp1252ToUtf8(backup->rows[i])) + "'"};
      return result;
    }
    result.rows.push_back(parsed.ToRow());
  }
  return result;
}

}  // namespace

TableFileKind KindOfTableText(std::string_view utf8Text) {
  const std::string_view first = FirstLine(WithoutByteOrderMark(utf8Text));
  if (first.rfind(kBackupHeader, 0) == 0) return TableFileKind::Backup;
  if (IsCsvHeader(first)) return TableFileKind::Csv;
  return TableFileKind::Rows;
}

RowFile ParseCsv(std::string_view utf8Text) {
  RowFile result;
  const std::string_view text = WithoutByteOrderMark(utf8Text);
  std::size_t pos = 0;
  int lines = 0;  // line ends passed
  bool header = false;
  std::vector<std::string> cells;
  while (pos < text.size()) {
    const int lineNo = lines + 1;
    auto fail = [&](const std::string& message) {
      result.rows.clear();
      result.error = RowFileError{lineNo, message};
      return result;
    };
    if (!NextCsvRecord(text, pos, lines, cells)) return fail("a quote that is not closed");
    if (cells.size() == 1 && Trim(cells[0]).empty()) continue;
    if (!header) {
      header = true;
      std::string line;
      for (const std::string& c : cells) line += (line.empty() ? "" : ";") + c;
      if (!IsCsvHeader(line)) return fail("the first line is not the column titles");
      continue;
    }
    // A spreadsheet may close every row with a ';'.
    if (cells.size() > 1 && cells.back().empty()) cells.pop_back();
    if (cells.size() != static_cast<std::size_t>(kFuelFieldCount)) {
      return fail("expected 11 cells, found " + std::to_string(cells.size()));
    }
    std::string& description = cells[static_cast<std::size_t>(FuelField::Description)];
    if (description.size() > 1 && description[0] == '\'' &&
        CsvCellGuarded(std::string_view(description).substr(1))) {
      description.erase(0, 1);
    }
    const std::vector<std::string_view> fields(cells.begin(), cells.end());
    FuelRow row;
    if (auto problem = RowOfFields(fields, row)) return fail(*problem);
    result.rows.push_back(row);
  }
  return result;
}

RowFile ParseTableText(std::string_view utf8Text, TableFileKind* kind) {
  const TableFileKind k = KindOfTableText(utf8Text);
  if (kind != nullptr) *kind = k;
  switch (k) {
    case TableFileKind::Backup:
      return ParseBackupRows(utf8Text);
    case TableFileKind::Csv:
      return ParseCsv(utf8Text);
    case TableFileKind::Rows:
      break;
  }
  return ParseRowFile(utf8Text);
}

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
    if (auto problem = RowOfFields(fields, row)) return fail(*problem);
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
                                                  std::string* error, TableFileKind* kind) {
  const auto bytes = ReadInputFile(path, PathText(path), error);
  if (!bytes) return std::nullopt;
  RowFile file = ParseTableText(*bytes, kind);
  if (file.error) {
    *error = PathText(path.filename()) +
             (file.error->line > 0 ? ", line " + std::to_string(file.error->line) : "") + ": " +
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
