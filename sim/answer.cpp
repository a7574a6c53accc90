#include "sim/answer.h"

#include <optional>

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

const std::string kOk = "OK";
const std::string kUnknown = "?";

}  // namespace

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
    if (*k >= 1 && static_cast<std::size_t>(*k) <= table.rows.size()) {
      return table.rows[static_cast<std::size_t>(*k - 1)];
    }
    return EmptyRow(*k);
  }
  if (StartsWith(command, "W401")) {
    const std::string_view row = command.substr(4);
    const auto position = Decimal(FirstField(row));
    if (!position || *position < 1 || *position > kMaxPosition) return kUnknown;
    const auto index = static_cast<std::size_t>(*position - 1);
    while (table.rows.size() < index)
      table.rows.push_back(EmptyRow(static_cast<long>(table.rows.size()) + 1));
    if (table.rows.size() == index) {
      table.rows.emplace_back(row);
    } else {
      table.rows[index] = std::string(row);
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
