// The frame of the window's own modal dialogs (the editor, the Backups view,
// the report form): an empty template, controls made in pixels at the
// dialog's resolution.
#pragma once

#include <windows.h>

#include <string>

namespace quelt::win {

// A modal dialog from an empty template: the derived class makes its
// controls in WM_INITDIALOG, in pixels, and answers its messages in Handle.
class ModalDialog {
 public:
  virtual ~ModalDialog();

 protected:
  // Runs the dialog until it ends; what EndDialog was given.
  INT_PTR RunModal(HWND owner, const std::wstring& caption);
  virtual INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp) = 0;
  // A visible child control with this ID, at x, y and w x h pixels.
  HWND AddControl(int id, const wchar_t* cls, const std::wstring& text, DWORD style,
                  DWORD exStyle = 0, int x = 0, int y = 0, int w = 0, int h = 0);
  // Takes the dialog's resolution into dpi_ (96 where the system gives
  // none) and makes the system's message font at it, which the dialog keeps
  // until it is destroyed.
  HFONT UseMessageFont();
  // `pixels96` at the dialog's resolution.
  int S(int pixels96) const { return MulDiv(pixels96, dpi_, 96); }
  // Sizes the dialog for a client area of `w` x `h` pixels at `dpi`.
  void SetClientSize(int w, int h, int dpi);
  // Centres the dialog on `area` (screen coordinates).
  void CentreOn(const RECT& area);
  // Made no larger than the work area, centres the dialog on its owner (the
  // desktop when it has none) and keeps it within the work area.
  void CentreOnOwnerWithinWorkArea();
  void SetFontOfControls(HFONT font);

  HWND hwnd_ = nullptr;
  int dpi_ = 96;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  HFONT messageFont_ = nullptr;
};

}  // namespace quelt::win
