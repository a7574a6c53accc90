// The grid's colour marks: the natural gas H row in purple, rows beyond the
// fifteen the analyser uses in red (red wins). A marked row keeps its mark
// while selected; unmarked rows keep the grid's own colours.
#pragma once

#include <optional>

#include "front/log_style.h"
#include "fuel/fuel_row.h"

namespace quelt::front {

struct RowMark {
  Rgb background;
  Rgb text;
  friend bool operator==(const RowMark&, const RowMark&) = default;
};

inline constexpr std::int32_t kHGasId = 16;
inline constexpr int kRowsUsed = 15;

inline std::optional<RowMark> MarkOf(const FuelRow& row) {
  std::optional<RowMark> mark;
  if (row.ID == kHGasId) mark = RowMark{{128, 0, 128}, {255, 255, 255}};
  if (row.N > kRowsUsed) mark = RowMark{{255, 0, 0}, {255, 255, 255}};
  return mark;
}

}  // namespace quelt::front
