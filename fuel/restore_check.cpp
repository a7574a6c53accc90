// What a restore checks before its first byte: a backup goes back to the
// analyser only when it is whole and every row in it is one the analyser
// could have stored. A damaged file must never empty or garble a table.
#include <charconv>
#include <cstdint>

#include "fuel/backup.h"
#include "fuel/fuel_ops.h"
#include "fuel/row_check.h"
#include "text/cp1252.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// An optional sign and digits; decimals may have one ',' or '.' inside.
bool IsNumberText(std::string_view s, bool decimal) {
  s = TrimSpaces(s);
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  bool digit = false, mark = false;
  for (const char c : s) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (decimal && !mark && (c == ',' || c == '.')) {
      mark = true;
    } else {
      return false;
    }
  }
  return digit;
}

std::string Shown(std::string_view cp1252) { return ShowField(Cp1252ToUtf8(cp1252)); }

// The longest number texts a write sends: a 32-bit integer with its sign,
// and the fixed-point text of a decimal. A longer text (400 leading zeros)
// is no row a write would ever have stored.
constexpr std::size_t kIntegerTextMax = 11;
constexpr std::size_t kDecimalTextMax = 30;

// Why a number field's text is none a write sends: too long, or an integer
// outside its field's range.
std::optional<std::string> NumberTextProblem(const FuelFieldInfo& info, std::string_view text) {
  const bool decimal = IsDecimalField(info.field);
  const std::size_t max = decimal ? kDecimalTextMax : kIntegerTextMax;
  if (text.size() > max) {
    return std::string(info.gridTitle) + " '" + Shown(text) + "' is longer than " +
           std::to_string(max) + " characters";
  }
  if (decimal) return std::nullopt;
  text = TrimSpaces(text);
  if (text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (const IntegerRange range = RangeOf(info.field); !range.Holds(value)) {
    return std::string(info.gridTitle) + " " + std::to_string(value) + " is outside " +
           range.Text();
  }
  return std::nullopt;
}

}  // namespace

bool HasFuelRowShape(std::string_view reply) {
  const auto fields = SplitRowFields(reply);
  return fields.size() >= static_cast<std::size_t>(kFuelFieldCount) &&
         IsNumberText(fields[0], false);
}

std::size_t StoredRowsBeyondCount(const StoredTable& table) {
  std::size_t n = 0;
  for (const auto& row : table.rowsBeyondCount) {
    if (!row || !HasFuelRowShape(*row)) break;
    ++n;
  }
  return n;
}

std::optional<std::string> StoredRowProblem(std::string_view row) {
  for (const char c : row) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      const std::string shown = Shown(row);
      return "'" + shown + "' holds the control character " + HexEscape(b);
    }
  }
  const auto fields = SplitRowFields(row);
  if (fields.size() < static_cast<std::size_t>(kFuelFieldCount)) {
    const std::string shown = Shown(row);
    return "'" + shown + "' is no fuel row: " + std::to_string(fields.size()) +
           (fields.size() == 1 ? " field" : " fields") + ", 11 expected";
  }
  // A row a write sends has eleven fields and one closing ';'; whatever
  // follows would go back to the analyser unchecked.
  if (fields.size() > static_cast<std::size_t>(kFuelFieldCount)) {
    return "field 12 '" + Shown(fields[kFuelFieldCount]) + "' is beyond the eleven fields of a row";
  }
  for (const FuelFieldInfo& info : FuelFields()) {
    const std::string_view text = fields[static_cast<std::size_t>(info.field)];
    if (info.field == FuelField::Description) {
      // Checked as it stands: reading the row would cut it to 30 characters.
      if (auto problem = DescriptionProblem(text)) return problem;
      continue;
    }
    if (!IsNumberText(text, IsDecimalField(info.field))) {
      return std::string(info.gridTitle) + " '" + Shown(text) + "' is not " +
             (IsDecimalField(info.field) ? "a number" : "an integer");
    }
    if (auto problem = NumberTextProblem(info, text)) return problem;
  }
  const ParsedFuelRow parsed = ReadFuelRowText(row);
  if (!parsed.FitsRow()) {
    return "N " + std::to_string(parsed.N) + " or Soot " + std::to_string(parsed.Soot) +
           " is outside " + RangeOf(FuelField::N).Text();
  }
  return RowProblem(parsed.ToRow());
}

std::optional<std::string> RestoreProblem(const StoredTable& backup, bool allowEmpty) {
  const auto count = backup.CountNumber();
  if (!count) {
    return "the count reply \"" + Shown(backup.countReply) + "\" holds no row count from 0 to 999";
  }
  const std::size_t rows = backup.rows.size();
  if (static_cast<std::size_t>(*count) > rows) {
    return "the count is " + std::to_string(*count) + " but the file holds only " +
           std::to_string(rows) + (rows == 1 ? " row" : " rows") +
           " in use: rows are missing (a backup cut short?)";
  }
  if (static_cast<std::size_t>(*count) < rows) {
    return "the count is " + std::to_string(*count) + " but the file holds " +
           std::to_string(rows) + " rows in use";
  }
  if (*count == 0 && !allowEmpty) {
    return "the backup's count is 0: restoring it tells the analyser to use no fuel at all "
           "(--allow-empty restores it on purpose)";
  }
  const std::size_t sent = rows + StoredRowsBeyondCount(backup);
  if (sent > static_cast<std::size_t>(kMaxRowsSent)) {
    return "it holds " + std::to_string(sent) + " rows to write; a write sends at most " +
           std::to_string(kMaxRowsSent);
  }
  const auto texts = RestoreRowTexts(backup);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& row = i < rows ? backup.rows[i] : *backup.rowsBeyondCount[i - rows];
    if (auto problem = StoredRowProblem(row)) {
      return "row " + std::to_string(i + 1) + (i < rows ? "" : " (beyond the count)") + ": " +
             *problem;
    }
  }
  return std::nullopt;
}

std::vector<std::string> RestoreRowTexts(const StoredTable& backup) {
  // Each row goes back to the place it was read from, as it was stored.
  std::vector<std::string> texts;
  auto add = [&](const std::string& row) {
    const std::string position = std::to_string(texts.size() + 1);
    const std::size_t semi = row.find(';');
    texts.push_back(row.substr(0, semi) == position
                        ? row
                        : position + (semi == std::string::npos ? ";" : row.substr(semi)));
  };
  for (const std::string& row : backup.rows) {
    if (texts.size() == static_cast<std::size_t>(kMaxRowsSent)) return texts;
    add(row);
  }
  const std::size_t beyond = StoredRowsBeyondCount(backup);
  for (std::size_t i = 0; i < beyond && texts.size() < static_cast<std::size_t>(kMaxRowsSent); ++i)
    add(*backup.rowsBeyondCount[i]);
  return texts;
}

}  // namespace quelt
