// The order in which Tab walks the main window's controls, the same in both
// windows: the big buttons from the top, the button bar from the left (the
// port control between Save and Backups, where it sits), the grid, the
// status line's backup link, the log, and Exit last.
#pragma once

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

}  // namespace quelt::front
