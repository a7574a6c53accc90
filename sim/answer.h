// What the analyser answers to one command, and what a command does to its
// table. No line, no timing: the reply text only, without its CR.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/config.h"

namespace quelt::sim {

struct TableState {
  std::vector<std::string> rows;
  int rowsInUse = -1;
};

// The row the analyser reports for a position it does not hold.
std::string EmptyRow(long position);

std::string Answer(std::string_view command, const Config& config, TableState& table);

// Whether `command` asks for a row past those `table` holds (R401k).
bool AsksBeyondRows(std::string_view command, const TableState& table);

}  // namespace quelt::sim
