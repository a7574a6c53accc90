// A table file against the analyser's table: field by field, at the wire's
// precision, as the check after a send compares them.
#pragma once

#include <string>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

// The differences between `file` (the rows of a table file) and `analyser`
// (the rows as a read shows them, positions 1..), one line each in
// UTF-8: "Row 3, A2: file "0,68", analyser "0,70""; a row only one
// side has is named whole. Empty when both hold the same values.
std::vector<std::string> TableDifferences(const std::vector<FuelRow>& file,
                                          const std::vector<FuelRow>& analyser);

}  // namespace quelt
