#include "front/fitting.h"

#include <algorithm>

#include "text/text_helpers.h"

namespace quelt::front {

WindowFit FitMainClient(int dpi, int frameW, int frameH, int areaW, int areaH) {
  if (frameW <= 0 && frameH <= 0) {
    frameW = ScaleForDpi(kMainOuterWidth, dpi) - ScaleForDpi(kMainClientWidth, dpi);
    frameH = ScaleForDpi(kMainOuterHeight, dpi) - ScaleForDpi(kMainClientHeight, dpi);
  }
  const WindowFit outer = FitMainWindow(dpi, frameW, frameH, areaW, areaH);
  return {outer.w - frameW, outer.h - frameH, outer.minW - frameW, outer.minH - frameH};
}

void ColumnWidths::Reset(std::vector<int> design) {
  fitted_.assign(design.size(), 0);
  user_.assign(design.size(), 0);
  design_ = std::move(design);
}

int ColumnWidths::Fit(std::size_t column, int needed, int now, int room) {
  if (column >= design_.size()) return now;
  if (fitted_[column] != 0 && now != fitted_[column]) user_[column] = now;
  const int fill = user_[column] == 0 ? room : 0;
  fitted_[column] = std::max({needed, design_[column], user_[column], fill});
  return fitted_[column];
}

std::vector<int> ColumnWidths::FitAll(const std::function<int(std::size_t)>& needed,
                                      const std::function<int(std::size_t)>& now, int room,
                                      std::size_t filler) {
  std::vector<int> widths(design_.size());
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (c == filler) continue;
    widths[c] = Fit(c, needed(c), now(c));
    room -= widths[c];
  }
  if (filler < widths.size()) widths[filler] = Fit(filler, needed(filler), now(filler), room);
  return widths;
}

}  // namespace quelt::front
