#include "win/port_chooser.h"

#include <algorithm>

#include "text/utf16.h"
#include "win/main_painter.h"

namespace quelt::win {

void PortChooserBox::Create(HWND parent) {
  box_ = CreateWindowExW(
      0, L"COMBOBOX", L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0, 0, 0,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPortChooserId)),
      GetModuleHandleW(nullptr), nullptr);
}

void PortChooserBox::SetChoices(const std::vector<std::string>& texts, int chosen) {
  if (box_ == nullptr) return;
  // Filled anew only when the entries changed: an open list keeps its place.
  if (texts != shown_) {
    shown_ = texts;
    SendMessageW(box_, CB_RESETCONTENT, 0, 0);
    for (const std::string& t : texts) {
      SendMessageW(box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(t).c_str()));
    }
  }
  SendMessageW(box_, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void PortChooserBox::Place(const front::Rect& place, HFONT font) {
  if (box_ == nullptr) return;
  SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The selection field as high as the bar's buttons; the list below is
  // taller.
  SendMessageW(box_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(place.h - 6, 8));
  SetWindowPos(box_, nullptr, place.x, place.y, place.w, place.h * 12,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void PortChooserBox::TakeTyped() {
  if (box_ == nullptr) return;
  controller_.TypePort(Utf8FromWide(WindowText(box_)));
}

bool PortChooserBox::Command(int id, int code) {
  if (id != kPortChooserId) return false;
  switch (code) {
    case CBN_DROPDOWN:
      // The ports of now: an adapter plugged in since is there to choose.
      controller_.PortListOpened();
      return true;
    case CBN_SELCHANGE:
      // While the list is open the arrow keys only walk it; the choice is
      // made when it closes with an entry (CBN_SELENDOK).
      if (SendMessageW(box_, CB_GETDROPPEDSTATE, 0, 0) != FALSE) return true;
      [[fallthrough]];
    case CBN_SELENDOK: {
      const LRESULT index = SendMessageW(box_, CB_GETCURSEL, 0, 0);
      if (index != CB_ERR) controller_.ChoosePort(static_cast<int>(index));
      return true;
    }
    case CBN_KILLFOCUS:
      // Taken when the focus leaves the box, before the click on Refresh or
      // Send that took the focus runs.
      TakeTyped();
      return true;
    default:
      return false;
  }
}

}  // namespace quelt::win
