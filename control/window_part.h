// What each part of the window controller works with: the shared state,
// what the window shows besides the grid, and the window's record.
#pragma once

#include "control/window_display.h"
#include "control/window_record.h"
#include "control/window_state.h"

namespace quelt::control {

class WindowPart {
 public:
  WindowPart(WindowState& state, WindowDisplay& display, WindowRecord& record)
      : state_(state), display_(display), record_(record) {}

 protected:
  WindowState& state_;
  WindowDisplay& display_;
  WindowRecord& record_;
};

}  // namespace quelt::control
