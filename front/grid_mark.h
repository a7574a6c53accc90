// The grid's colour marks: the natural gas H row in purple, rows beyond the
// fifteen the analyser uses in red (red wins). A marked row keeps its mark
// while selected; unmarked rows keep the grid's own colours.
#pragma once

#include <optional>

#include "front/log_style.h"
#include "fuel/fuel_row.h"
#include "fuel/status_text.h"

namespace quelt::front {

struct RowMark {
  Rgb background;
  Rgb text;
  friend bool operator==(const RowMark&, const RowMark&) = default;
};

// The colours of the marks that MarkKindOf gives.
inline std::optional<RowMark> MarkOf(const FuelRow& row) {
  switch (MarkKindOf(row)) {
    case RowMarkKind::NaturalGasH:
      return RowMark{{128, 0, 128}, {255, 255, 255}};
    case RowMarkKind::Unused:
      return RowMark{{255, 0, 0}, {255, 255, 255}};
    case RowMarkKind::None:
      break;
  }
  return std::nullopt;
}

}  // namespace quelt::front
