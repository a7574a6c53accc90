// The analyser family: every behaviour the protocol admits, as the
// simulator plays it. The operations' table (tests/ops/family_test.cpp) and
// the window's (tests/control/family_window_test.cpp) run each member.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "fuel/row_compare.h"
#include "sim/config.h"
#include "tests/ops/ops_fixture.h"

namespace quelt::test {

struct Member {
  const char* name;
  void (*behave)(sim::Config&);
  int rowsHeld = 3;     // stored and in use
  int rowsWritten = 5;  // more than held: the backup reads beyond the count
  // Holds no row past its own: the backup asks for one position beyond.
  bool endsBeyond = false;
  bool timed = false;  // on a pseudo-terminal where the system has them
};
inline void PrintTo(const Member& m, std::ostream* os) { *os << m.name; }

// Members with a fixed count reply hold and write 12 rows: W402 cannot move it.
inline const Member kFamily[] = {
    {"plain", [](sim::Config&) {}},
    {"crlf", [](sim::Config& c) { c.faults.lfAfterCr = true; }},
    {"own_n", [](sim::Config& c) { c.ownRowNumbers = true; }},
    {"beyond_question_mark", [](sim::Config& c) { c.beyondRowsReply = "?"; }, 3, 5, true},
    {"beyond_err", [](sim::Config& c) { c.beyondRowsReply = "ERR"; }, 3, 5, true},
    {"beyond_silent", [](sim::Config& c) { c.silentBeyondRows = true; }, 3, 5, true, true},
    {"count_plus", [](sim::Config& c) { c.countReply = "+12"; }, 12, 12},
    {"count_words", [](sim::Config& c) { c.countReply = "12 rows"; }, 12, 12},
    {"count_hex", [](sim::Config& c) { c.countReply = "$0C;"; }, 12, 12},
    {"own_numbers", [](sim::Config& c) { c.ownNumberFormat = true; }},
    {"latency", [](sim::Config& c) { c.latencyMs = 150; }, 3, 5, false, true},
    // A 55-byte row then takes under half of the time-out.
    {"trickle", [](sim::Config& c) { c.trickleMs = 8; }, 3, 5, false, true},
};

// The member's analyser, holding `rowsHeld` rows with the natural gas H row
// among them (the read inserts none, so the grid shows the rows held).
inline sim::Config ConfigOf(const Member& m) {
  sim::Config config;
  m.behave(config);
  std::vector<std::string> held{RowText(1, 16, "Erdgas H")};
  for (int n = 2; n <= m.rowsHeld; ++n) held.push_back(RowText(n, 100 + n, "Held"));
  config.rows = held;
  return config;
}

// Rows the analyser holds, compared as the write's check compares.
inline std::vector<std::string> Differences(const std::vector<std::string>& want,
                                            const std::vector<std::string>& held) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < want.size(); ++i) {
    for (auto& d : RowDifferences(static_cast<int>(i + 1), want[i], i < held.size() ? held[i] : ""))
      out.push_back(d);
  }
  return out;
}

}  // namespace quelt::test
