// The fuel editor on Win32: the modal editor of one fuel row, the face of a
// RowEditor (control/row_editor.h). Layout, filters and messages come from
// front/.
#pragma once

#include <windows.h>

#include <vector>

#include "control/row_editor.h"
#include "front/layout.h"

namespace quelt::win {

// Control IDs of the dialog: editors in tab order from kFirstEditorId; the
// buttons are IDCANCEL and IDOK.
inline constexpr int kFirstEditorId = 1000;
int EditorId(FuelField field);
// The control ID of each item of the layout, in its order.
std::vector<int> ItemIds(const front::DialogLayout& layout);

// Runs the dialog on `editor` until it closes; true: OK.
bool RunFuelEditor(control::RowEditor& editor, HWND owner);

// Characters the dialog's editors refused since the program started (each
// with a beep and a note beside the buttons): lets a test see a refusal.
int RefusedCharacters();
// The note's control ID: why the last character was refused.
inline constexpr int kNoteId = 1300;

}  // namespace quelt::win
