// The rows the grid tests fill their tables with: a number, an ID and a
// name, and the same plain values in every other field.
#pragma once

#include <cstdint>
#include <vector>

#include "fuel/fuel_table.h"

namespace quelt::test {

inline FuelRow GridRow(int n, int id, const char* name) {
  FuelRow r;
  r.N = static_cast<std::int16_t>(n);
  r.ID = id;
  r.Description = name;
  r.Co2Max = 12.1;
  r.A2 = 0.6;
  r.B = 0.009;
  r.RefO2 = 3;
  r.Vatr = 10.5;
  r.Vaf = 9.4;
  r.HU = 31.68;
  return r;
}

// The table holds `rows`, the first one current.
inline void FillGrid(FuelTable& table, const std::vector<FuelRow>& rows) {
  table.Clear();
  for (const FuelRow& r : rows) table.AppendRow(r);
  table.MoveToFirst();
}

}  // namespace quelt::test
