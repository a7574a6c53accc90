#include "sim/answer.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "text/text_helpers.h"

namespace quelt::sim {
namespace {

// W401 can address this many rows: R401 reaches them with three digits.
constexpr long kMaxPosition = 999;

// A plain decimal number made of digits only, at most nine of them (so it
// never overflows); nullopt for anything else, empty text included.
std::optional<long> Decimal(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string_view FirstField(std::string_view text) { return text.substr(0, text.find(';')); }

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A number as the analyser prints it: `decimals` places, or (-1) as few as
// the value needs, up to four.
std::string OwnNumber(double value, int decimals) {
  char text[64];
  if (decimals >= 0) {
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
  } else {
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string t = text;
    while (!t.empty() && t.back() == '0') t.pop_back();
    if (!t.empty() && t.back() == '.') t.pop_back();
    std::snprintf(text, sizeof text, "%s", t.c_str());
  }
  std::string out = text;
  for (char& c : out) {
    if (c == '.') c = ',';
  }
  return out;
}

// The row as the analyser stores it: N, ID and description as text, the seven
// numbers as values, printed back in its own format.
std::string StoredAsValues(std::string_view row) {
  static constexpr int kDecimals[] = {2, 3, 4, -1, -1, -1, -1};
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start <= row.size()) {
    const std::size_t semi = row.find(';', start);
    if (semi == std::string_view::npos) {
      if (start < row.size()) fields.emplace_back(row.substr(start));
      break;
    }
    fields.emplace_back(row.substr(start, semi - start));
    start = semi + 1;
  }
  fields.resize(11);
  std::string out = fields[0] + ";" + fields[1] + ";" + fields[2];
  for (int i = 0; i < 7; ++i) {
    out += ';';
    out += OwnNumber(quelt::ParseFloatLenient(fields[3 + i]), kDecimals[i]);
  }
  return out + ";" + std::to_string(quelt::ParseIntLenient(fields[10]));
}

// The row with its HU (field 10) lost: 0 in its place.
std::string WithoutHu(std::string row) {
  std::size_t start = 0;
  for (int i = 0; i < 9 && start != std::string::npos; ++i) {
    start = row.find(';', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos) return row;
  const std::size_t end = row.find(';', start);
  // Built anew rather than replaced in place: the same text either way.
  std::string out = row.substr(0, start) + "0";
  if (end != std::string::npos) out += row.substr(end);
  return out;
}

const std::string kOk = "OK";
const std::string kUnknown = "?";

}  // namespace

bool AsksBeyondRows(std::string_view command, const TableState& table) {
  if (!StartsWith(command, "R401")) return false;
  const auto k = Decimal(command.substr(4));
  return k && *k >= 1 && static_cast<std::size_t>(*k) > table.rows.size();
}

std::string EmptyRow(long position) { return std::to_string(position) + ";0;;0;0;0;0;0;0;0;0"; }

std::string Answer(std::string_view command, const Config& config, TableState& table) {
  if (command.empty()) return "QUELT";
  if (command == "R001") return config.identification;
  if (command == "R005") return config.type;
  if (command == "R004") return config.serialNumber;
  if (command == "R002") return config.version;
  if (command == "R402") {
    if (config.countReply) return *config.countReply;
    // The count W402 set, not the rows stored: rows past it stay in the
    // table but are not in use.
    if (table.rowsInUse >= 0) return std::to_string(table.rowsInUse) + ";";
    return std::to_string(table.rows.size()) + ";";
  }
  if (StartsWith(command, "R401")) {
    const auto k = Decimal(command.substr(4));
    if (!k) return kUnknown;
    const bool held = *k >= 1 && static_cast<std::size_t>(*k) <= table.rows.size();
    if (!held && config.beyondRowsReply) return *config.beyondRowsReply;
    const std::string row = held ? table.rows[static_cast<std::size_t>(*k - 1)] : EmptyRow(*k);
    if (!config.ownRowNumbers) return row;
    return std::to_string(100 + *k) + row.substr(std::min(row.find(';'), row.size()));
  }
  if (StartsWith(command, "W401")) {
    const std::string_view row = command.substr(4);
    const auto position = Decimal(FirstField(row));
    if (!position || *position < 1 || *position > kMaxPosition) return kUnknown;
    const auto index = static_cast<std::size_t>(*position - 1);
    while (table.rows.size() < index)
      table.rows.push_back(EmptyRow(static_cast<long>(table.rows.size()) + 1));
    std::string stored = config.ownNumberFormat ? StoredAsValues(row) : std::string(row);
    if (config.faults.dropHuAt == *position) stored = WithoutHu(stored);
    if (table.rows.size() == index) {
      table.rows.push_back(stored);
    } else {
      table.rows[index] = stored;
    }
    return kOk;
  }
  if (StartsWith(command, "W402")) {
    const auto count = Decimal(FirstField(command.substr(4)));
    if (!count) return kUnknown;
    if (!config.faults.ignoreW402) table.rowsInUse = static_cast<int>(*count);
    return kOk;
  }
  return kUnknown;
}

}  // namespace quelt::sim
