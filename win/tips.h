// Tool tips on a window's controls: one tip window per window, a tip per
// control, changed in place when its text changes.
#pragma once

#include <windows.h>

#include <string>

namespace quelt::win {

// The tip window of `owner`; its tips may run to several lines.
HWND MakeTips(HWND owner);
void AddTip(HWND tips, HWND control, const std::wstring& text);
void SetTip(HWND tips, HWND control, const std::wstring& text);
// A tip whose text the owner gives each time it shows (TTN_GETDISPINFOW):
// one that depends on where the mouse is.
void AddAskedTip(HWND tips, HWND control);

}  // namespace quelt::win
