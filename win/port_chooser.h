// The port control in the status line: a drop-down combo box of the
// controller's port entries (control/port_chooser.h) with an edit field for
// a port not listed. Dropping it down lists the ports anew; the entry chosen
// or the port typed goes to the controller, which remembers it. The main window passes it its
// WM_COMMAND notifications.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "control/window_controller.h"
#include "front/layout.h"

namespace quelt::win {

// The combo box's control ID, beside the layout table's.
inline constexpr int kPortChooserId = 190;

class PortChooserBox {
 public:
  explicit PortChooserBox(control::WindowController& controller) : controller_(controller) {}

  void Create(HWND parent);
  HWND Handle() const { return box_; }
  void SetChoices(const std::vector<std::string>& texts, int chosen);
  // Its place in the window's client area; `font` is the window's.
  void Place(const front::Rect& place, HFONT font);
  // The text of the edit field to the controller: a port typed (COM9).
  void TakeTyped();
  // A notification of the box; true when it was one.
  bool Command(int id, int code);

 private:
  control::WindowController& controller_;
  HWND box_ = nullptr;
  std::vector<std::string> shown_;  // the entries the box holds
};

}  // namespace quelt::win
