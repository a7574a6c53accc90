// The Backups view on Win32: a dialog window with the list of the
// analyser's backups (a ListView), the selected one's table (a second
// ListView), and the buttons Restore, Load into grid, Compare with analyser
// and Close.
// control::BackupsView decides; this only maps it.
#pragma once

#include <windows.h>

namespace quelt::control {
class WindowController;
}

namespace quelt::win {

// Control IDs of the dialog, for its tests; Close is IDCANCEL.
inline constexpr int kBackupsHeadingId = 2000;
inline constexpr int kBackupsListId = 2001;
inline constexpr int kBackupRowsId = 2002;
inline constexpr int kBackupNoteId = 2003;
inline constexpr int kRestoreButtonId = 2004;
inline constexpr int kLoadButtonId = 2005;
inline constexpr int kCompareButtonId = 2006;

// Opens the view and returns when it closed.
void ShowBackupsDialog(control::WindowController& controller, HWND owner);

}  // namespace quelt::win
