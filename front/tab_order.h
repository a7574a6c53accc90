// The order in which Tab walks the controls, the same in both windows. The
// main window: the big buttons from the top, the button bar from the left (the
// port control between Save and Backups, where it sits), the grid, the
// status line's backup link, the log, and Exit last.
#pragma once

#include <vector>

#include "front/layout.h"

namespace quelt::front {

inline constexpr MainControl kTabOrder[] = {MainControl::RefreshButton, MainControl::SendButton,
                                            MainControl::MoveUpButton,  MainControl::MoveDownButton,
                                            MainControl::OpenButton,    MainControl::SaveButton,
                                            MainControl::BackupsButton, MainControl::Grid,
                                            MainControl::BackupLine,    MainControl::Log,
                                            MainControl::ExitButton};
// The port control is no control of the layout table; it follows this one.
inline constexpr MainControl kPortControlFollows = MainControl::SaveButton;

// The fuel editor dialog's editors in the order Tab walks them, then Cancel
// and OK: reading order, as the dialog's layout table lists its editors.
inline std::vector<FuelField> DialogTabOrder() {
  std::vector<FuelField> fields;
  for (const DialogItem& item : LayoutDialog(96).items) {
    if (item.role == DialogItem::Role::Editor) fields.push_back(item.field);
  }
  return fields;
}

}  // namespace quelt::front
