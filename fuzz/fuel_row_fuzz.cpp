// A fuel row text of any bytes: reading never fails, and a row once written
// reads back to the same row and writes to the same text again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuel/fuel_row.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quelt::ParsedFuelRow parsed = quelt::ReadFuelRowText(text);
  if (parsed.Description.find(';') != std::string::npos) std::abort();
  if (!parsed.FitsRow()) return 0;
  const quelt::FuelRow row = parsed.ToRow();
  if (row.Description.size() > quelt::kDescriptionMax) std::abort();

  const std::string written = quelt::WriteFuelRowText(row, row.N);
  if (written.empty() || written.back() != ';') std::abort();
  const quelt::ParsedFuelRow again = quelt::ReadFuelRowText(written);
  if (!again.FitsRow()) std::abort();
  const quelt::FuelRow back = again.ToRow();
  if (back.N != row.N || back.ID != row.ID || back.Soot != row.Soot ||
      back.Description != row.Description) {
    std::abort();
  }
  // While a double holds every written decimal, writing again is stable.
  for (const auto& info : quelt::FuelFields()) {
    if (info.wireDecimals >= 0 && !(std::fabs(row.Decimal(info.field)) < 1e11)) return 0;
  }
  if (quelt::WriteFuelRowText(back, row.N) != written) std::abort();
  return 0;
}
