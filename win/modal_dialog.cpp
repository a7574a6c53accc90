#include "win/modal_dialog.h"

#include <algorithm>
#include <string>
#include <vector>

#include "win/main_painter.h"  // WorkArea

namespace quelt::win {

ModalDialog::~ModalDialog() {
  if (messageFont_ != nullptr) DeleteObject(messageFont_);
}

INT_PTR ModalDialog::RunModal(HWND owner, const std::wstring& caption) {
  std::vector<WORD> t;
  auto dword = [&t](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  dword(WS_EX_CONTROLPARENT);
  t.push_back(0);                              // no items
  for (int i = 0; i < 4; ++i) t.push_back(0);  // x, y, cx, cy: set later
  t.push_back(0);                              // no menu
  t.push_back(0);                              // default class
  for (wchar_t c : caption) t.push_back(static_cast<WORD>(c));
  t.push_back(0);
  t.push_back(0);  // padding
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                 reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner, DialogProc,
                                 reinterpret_cast<LPARAM>(this));
}

HWND ModalDialog::AddControl(int id, const wchar_t* cls, const std::wstring& text, DWORD style,
                             DWORD exStyle, int x, int y, int w, int h) {
  return CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                         hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

HFONT ModalDialog::UseMessageFont() {
  dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
  if (dpi_ <= 0) dpi_ = 96;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                             static_cast<UINT>(dpi_));
  if (messageFont_ != nullptr) DeleteObject(messageFont_);
  messageFont_ = CreateFontIndirectW(&metrics.lfMessageFont);
  return messageFont_;
}

void ModalDialog::SetClientSize(int w, int h, int dpi) {
  RECT outer{0, 0, w, h};
  AdjustWindowRectExForDpi(&outer, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)),
                           static_cast<UINT>(dpi));
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ModalDialog::CentreOn(const RECT& area) {
  RECT outer{};
  GetWindowRect(hwnd_, &outer);
  SetWindowPos(hwnd_, nullptr,
               area.left + (area.right - area.left - (outer.right - outer.left)) / 2,
               area.top + (area.bottom - area.top - (outer.bottom - outer.top)) / 2, 0, 0,
               SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ModalDialog::CentreOnOwnerWithinWorkArea() {
  const RECT work = WorkArea(hwnd_);
  RECT outer{};
  GetWindowRect(hwnd_, &outer);
  SetWindowPos(hwnd_, nullptr, 0, 0, std::min(outer.right - outer.left, work.right - work.left),
               std::min(outer.bottom - outer.top, work.bottom - work.top),
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  RECT owner{};
  GetWindowRect(GetParent(hwnd_) != nullptr ? GetParent(hwnd_) : GetDesktopWindow(), &owner);
  CentreOn(owner);
  GetWindowRect(hwnd_, &outer);
  SetWindowPos(hwnd_, nullptr,
               std::clamp(outer.left, work.left, work.right - (outer.right - outer.left)),
               std::clamp(outer.top, work.top, work.bottom - (outer.bottom - outer.top)), 0, 0,
               SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ModalDialog::SetFontOfControls(HFONT font) {
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ModalDialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<ModalDialog*>(lp);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  return self != nullptr ? self->Handle(msg, wp, lp) : FALSE;
}

}  // namespace quelt::win
