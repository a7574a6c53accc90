// How the main window fits its screen and the grid's columns fit their
// values, for both windows.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "front/layout.h"

namespace quelt::front {

// FitMainWindow in client sizes, for a toolkit that sizes a window by its
// client area. A frame not known yet (0 x 0: the window manager has not
// framed the window) counts as the design's frame.
WindowFit FitMainClient(int dpi, int frameW, int frameH, int areaW, int areaH);

// The grid's data columns: each fits its title and its widest cell, never
// below its design width nor below what the user dragged it to, and grows
// and shrinks with the values (one huge value must not keep its column wide
// once it is gone).
// The column that takes the room the others leave: the description.
inline constexpr std::size_t kFillingColumn = static_cast<std::size_t>(FuelField::Description);

class ColumnWidths {
 public:
  // The design widths at the screen's resolution; what the user dragged is
  // forgotten.
  void Reset(std::vector<int> design);
  // The width to give column `column`, which is `now` wide and needs
  // `needed` for its title and cells. A width other than the one last
  // given is the user's and stays the least from then on. A column given
  // `room` (what the others leave of the grid) fills it until the user
  // drags it.
  int Fit(std::size_t column, int needed, int now, int room = 0);
  // Every column's width; column `filler` comes last and takes the room the
  // others leave of `room`.
  std::vector<int> FitAll(const std::function<int(std::size_t)>& needed,
                          const std::function<int(std::size_t)>& now, int room, std::size_t filler);

 private:
  std::vector<int> design_;
  std::vector<int> fitted_;  // as last given; 0: not yet
  std::vector<int> user_;    // dragged by the user; 0: not
};

}  // namespace quelt::front
