// The main window's drawn controls: the flat buttons with their pictures
// and captions, the small buttons, the logo, the colour legend and the
// backup line.
#include <string>

#include "front/main_look.h"
#include "front/texts.h"
#include "lang/tr.h"
#include "text/text_helpers.h"
#include "text/utf16.h"
#include "win/gdi_pictures.h"
#include "win/main_window.h"

namespace quelt::win {

using front::MainControl;

// A flat button shows its edge only while the mouse is over it.
LRESULT CALLBACK MainWindow::FlatButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR data) {
  auto* self = reinterpret_cast<MainWindow*>(data);
  switch (msg) {
    case WM_MOUSEMOVE:
      if (self->hot_ != hwnd) {
        if (self->hot_ != nullptr) InvalidateRect(self->hot_, nullptr, FALSE);
        self->hot_ = hwnd;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      if (self->hot_ == hwnd) self->hot_ = nullptr;
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      if (self->hot_ == hwnd) self->hot_ = nullptr;
      RemoveWindowSubclass(hwnd, FlatButtonProc, 1);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void MainWindow::DrawItem(const DRAWITEMSTRUCT& item) {
  switch (static_cast<MainControl>(static_cast<int>(item.CtlID) - kFirstControlId)) {
    case MainControl::Legend:
      DrawLegend(item);
      return;
    case MainControl::BackupLine:
      DrawBackupLine(item);
      return;
    case MainControl::Logo: {
      RECT rc = item.rcItem;
      FillRect(item.hDC, &rc, GetSysColorBrush(COLOR_BTNFACE));
      DrawLogo(item.hDC, rc, dpi_ / 96.0);
      return;
    }
    default:
      DrawButton(item);
      return;
  }
}

void MainWindow::DrawButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  const auto control = static_cast<MainControl>(static_cast<int>(item.CtlID) - kFirstControlId);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const front::ButtonPicture& picture = *front::PictureOf(control);
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  if (!picture.flat) {
    DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  } else if (pressed) {
    DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
  } else if (item.hwndItem == hot_ && !disabled) {
    DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
  }
  const int shift = pressed ? 1 : 0;
  const int size = S(picture.size);
  wchar_t caption[64] = {};
  GetWindowTextW(item.hwndItem, caption, 64);
  const bool hasCaption = caption[0] != 0;
  HGDIOBJ oldFont = SelectObject(dc, bigFont_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const front::CaptionPlaces places = front::PlaceCaption(rc.right - rc.left, rc.bottom - rc.top,
                                                          size, hasCaption ? metrics.tmHeight : 0);
  const int left = places.picture.x + shift, top = places.picture.y + shift;
  if (picture.picture == front::Picture::Exit) {
    DrawExitSign(dc, left, top, size, disabled);
  } else {
    DrawCanvas(dc, front::DrawPicture(picture.picture, size, disabled), left, top);
  }
  if (hasCaption) {
    RECT text = WinRect(places.caption);
    OffsetRect(&text, shift, shift);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextW(dc, caption, -1, &text, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, oldFont);
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    RECT focus = rc;
    InflateRect(&focus, -S(3), -S(3));
    DrawFocusRect(dc, &focus);
  }
}

void MainWindow::DrawLegend(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT rc = item.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  const int pad = S(front::kLegendSwatchPad);
  int x = rc.left + pad;
  for (const front::LegendEntry& e : front::LegendEntries()) {
    const std::wstring sample = WideFromUtf8(e.sample), meaning = WideFromUtf8(lang::Tr(e.meaning));
    SIZE size{};
    SelectObject(dc, e.changed ? boldFont_ : font_);
    GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
    RECT swatch{x, rc.top + S(2), x + size.cx + 2 * pad, rc.bottom - S(2)};
    if (!e.changed) {
      HBRUSH brush = CreateSolidBrush(Colour(e.mark.background));
      FillRect(dc, &swatch, brush);
      DeleteObject(brush);
    }
    SetTextColor(dc, Colour(e.mark.text));
    DrawTextW(dc, sample.c_str(), -1, &swatch,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, font_);
    RECT words{swatch.right + pad, rc.top, rc.right, rc.bottom};
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, meaning.c_str(), -1, &words, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    GetTextExtentPoint32W(dc, meaning.c_str(), static_cast<int>(meaning.size()), &size);
    x = words.left + size.cx + S(front::kLegendGap);
  }
  SelectObject(dc, oldFont);
}

// A link while there is a backup to open: the link colour, underlined;
// before the first backup plain text.
void MainWindow::DrawBackupLine(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT rc = item.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  const bool link = (item.itemState & ODS_DISABLED) == 0;
  const std::wstring text = WindowText(item.hwndItem);
  HGDIOBJ oldFont = SelectObject(dc, link ? linkFont_ : font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, link ? Colour(front::kLinkColour) : GetSysColor(COLOR_BTNTEXT));
  RECT area = rc;
  InflateRect(&area, -S(3), 0);
  DrawTextW(dc, text.c_str(), -1, &area,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
  SelectObject(dc, oldFont);
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    DrawFocusRect(dc, &rc);
  }
}

}  // namespace quelt::win
