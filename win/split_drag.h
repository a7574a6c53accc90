// The split bar between the log and the grid: a press on it starts a drag,
// which lays the window out as it goes; letting go tells the controller,
// which remembers the log's height.
#pragma once

#include <windows.h>

#include <functional>

#include "control/window_controller.h"
#include "front/layout.h"

namespace quelt::win {

class SplitDrag {
 public:
  SplitDrag(control::WindowController& controller, std::function<void()> relayout)
      : controller_(controller), relayout_(std::move(relayout)) {}

  // The log's height at 96 dpi to lay the window out with: the one being
  // dragged, else the one the controller keeps.
  int LogHeight() const;
  // A mouse message of `window` laid out as `layout`; true when it was the bar's.
  bool Mouse(HWND window, UINT msg, LPARAM lp, const front::MainLayout& layout, int dpi);
  // The sizing cursor over the bar; true when the mouse is over it.
  static bool SetCursorOver(HWND window, const front::MainLayout& layout);

 private:
  control::WindowController& controller_;
  std::function<void()> relayout_;
  int dragLogHeight_ = 0;  // at 96 dpi while the bar is dragged; 0: not
  int grab_ = -1;          // where in the bar the drag took it
};

}  // namespace quelt::win
