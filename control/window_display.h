// What the window shows besides the grid's cells and the log: which
// controls are enabled, the row menu's items, the caption with its mark,
// the status and backup lines; and the grid's steps as the table changes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control/keys.h"
#include "control/window_state.h"
#include "fuel/status_text.h"

namespace quelt::control {

class WindowDisplay {
 public:
  explicit WindowDisplay(WindowState& state) : state_(state) {}

  // Enabling, caption, status and backup line to the face.
  void Update() const;
  // The table's notification: the grid's step to the face, then the rest.
  void TableChanged(FuelTable::Change change);

  bool Enabled(Control control) const;
  // A command of the row menu may run now (the menu greys the others).
  bool CanDo(Command command) const;
  // The row menu as it opens now: for each item of RowMenuItems() whether
  // it can run; none during a transfer (the menu runs a loop of its own, and
  // a wait for the analyser must not run inside it).
  std::optional<std::vector<bool>> RowMenuNow() const;
  // The grid differs from what the analyser holds.
  bool Unsent() const;
  std::string Caption() const { return WindowCaption(Unsent()); }
  StatusFacts Status() const;

 private:
  WindowState& state_;
};

}  // namespace quelt::control
