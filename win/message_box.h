// The controller's messages as Win32 message boxes: the kind's icon (the
// program's own for information), its buttons and default button; and the
// frame of the window's own modal dialogs.
#pragma once

#include <windows.h>

#include <string>

#include "control/messages.h"

namespace quelt::win {

control::Answer AskBox(HWND owner, const control::Message& message);

// A modal dialog from an empty template: the derived class makes its
// controls in WM_INITDIALOG, in pixels, and answers its messages in Handle.
class ModalDialog {
 public:
  virtual ~ModalDialog() = default;

 protected:
  // Runs the dialog until it ends; what EndDialog was given.
  INT_PTR RunModal(HWND owner, const std::wstring& caption);
  virtual INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp) = 0;
  // Sizes the dialog for a client area of `w` x `h` pixels at `dpi`.
  void SetClientSize(int w, int h, int dpi);
  // Centres the dialog on `area` (screen coordinates).
  void CentreOn(const RECT& area);
  void SetFontOfControls(HFONT font);

  HWND hwnd_ = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

}  // namespace quelt::win
