// The grid's row menu (right click, or the menu key), the same in both
// windows: each item with the key that does the same.
#pragma once

#include <string>
#include <vector>

#include "control/keys.h"

namespace quelt::control {

struct RowMenuItem {
  Command command;
  const char* label;
};
// Edit, Add row, Duplicate, Delete, Undo, Redo; Backups, the two exports
// and About.
const std::vector<RowMenuItem>& RowMenuItems();

// The key of a command as the user reads it ("Ctrl+D", "Enter"); the
// first of its keys in the key table; "" for none.
std::string KeyText(Command command);
// A menu item's text with its key after a tab: "Duplicate\tCtrl+D".
std::string MenuText(const RowMenuItem& item);

}  // namespace quelt::control
