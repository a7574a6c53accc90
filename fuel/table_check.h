// What a table plausibly holds beyond each value's range, one rule for the
// window's editor and the command line: every fuel has an ID from 1 to 999
// and no two rows share one (the ID names the fuel on the analyser), and
// Soot (FuelField::Soot) is a flag, 0 or 1. The editor refuses an ID
// outside 1 to 999 and asks before it keeps a shared ID or another Soot; the
// command line warns before anything is sent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

inline constexpr std::int32_t kIdMin = 1;
inline constexpr std::int32_t kIdMax = 999;

inline bool IdInRange(std::int64_t id) { return id >= kIdMin && id <= kIdMax; }
inline bool SootIsFlag(std::int64_t soot) { return soot == 0 || soot == 1; }

// The index of the first row of `rows` other than `self` whose ID is `id`;
// -1 when there is none.
int RowWithId(const std::vector<FuelRow>& rows, std::int64_t id, int self = -1);

// One line per doubt about a row, naming it by position (UTF-8):
// "Row 4: ID 7 is used by row 3 (Heizöl EL) too", "Row 5: no ID (0); an ID
// is 1 to 999", "Row 6: ID 1200 is outside 1 to 999", "Row 7: Soot 2 is
// neither 0 nor 1".
std::vector<std::string> TableDoubts(const std::vector<FuelRow>& rows);

}  // namespace quelt
