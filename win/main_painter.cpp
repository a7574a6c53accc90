#include "win/main_painter.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "front/main_look.h"
#include "front/texts.h"
#include "lang/tr.h"
#include "text/text_helpers.h"
#include "text/utf16.h"
#include "win/gdi_pictures.h"

namespace quelt::win {
namespace {

using front::MainControl;

}  // namespace

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

HFONT MakeFont(int points, bool bold, int dpi, bool underline) {
  return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                     underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                     L"MS Shell Dlg 2");
}

RECT WorkArea(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  return monitor.rcWork;
}

std::wstring WindowText(HWND h) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

MainPainter::~MainPainter() {
  for (HFONT f : {font_, bigFont_, linkFont_, boldFont_}) {
    if (f != nullptr) DeleteObject(f);
  }
}

int MainPainter::S(int pixels96) const { return ScaleForDpi(pixels96, dpi_); }

void MainPainter::ApplyDpi(int dpi) {
  dpi_ = dpi;
  for (HFONT* f : {&font_, &bigFont_, &linkFont_, &boldFont_}) {
    if (*f != nullptr) DeleteObject(*f);
  }
  font_ = MakeFont(front::kBaseFontPoints, false, dpi);
  bigFont_ = MakeFont(front::kBigButtonFontPoints, true, dpi);
  linkFont_ = MakeFont(front::kBaseFontPoints, false, dpi, true);
  boldFont_ = MakeFont(front::kBaseFontPoints, true, dpi);
}

// An entry: its swatch (the sample and a pad either side), a pad, its meaning.
front::LegendWidths MainPainter::MeasureLegend(HWND window) const {
  front::LegendWidths widths{{}, S(front::kLegendGap)};
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font_);
  for (const front::LegendEntry& e : front::LegendEntries()) {
    const int meaning = TextWidth(dc, WideFromUtf8(lang::Tr(e.meaning)));
    SelectObject(dc, e.changed ? boldFont_ : font_);
    widths.entries.push_back(TextWidth(dc, WideFromUtf8(e.sample)) +
                             3 * S(front::kLegendSwatchPad) + meaning);
    SelectObject(dc, font_);
  }
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return widths;
}

void MainPainter::MakeFlat(HWND button) {
  SetWindowSubclass(button, FlatButtonProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

// A flat button shows its edge only while the mouse is over it.
LRESULT CALLBACK MainPainter::FlatButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                             DWORD_PTR data) {
  auto* self = reinterpret_cast<MainPainter*>(data);
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

void MainPainter::DrawItem(const DRAWITEMSTRUCT& item, MainControl control,
                           const front::MainLayout& layout) const {
  switch (control) {
    case MainControl::Legend:
      DrawLegend(item, layout);
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
      DrawButton(item, control);
      return;
  }
}

void MainPainter::DrawButton(const DRAWITEMSTRUCT& item, MainControl control) const {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
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

void MainPainter::DrawLegend(const DRAWITEMSTRUCT& item, const front::MainLayout& layout) const {
  HDC dc = item.hDC;
  const RECT rc = item.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  const int pad = S(front::kLegendSwatchPad);
  for (std::size_t i = 0; i < layout.legend.size(); ++i) {
    const front::LegendEntry& e = front::LegendEntries()[i];
    const int x = rc.left + pad + layout.legend[i].x;
    const int top = rc.top + layout.legend[i].line * S(front::kLegendLineHeight);
    const int bottom = top + S(front::kLegendLineHeight);
    const std::wstring sample = WideFromUtf8(e.sample), meaning = WideFromUtf8(lang::Tr(e.meaning));
    SelectObject(dc, e.changed ? boldFont_ : font_);
    RECT swatch{x, top + S(2), x + TextWidth(dc, sample) + 2 * pad, bottom - S(2)};
    if (!e.changed) {
      HBRUSH brush = CreateSolidBrush(Colour(e.mark.background));
      FillRect(dc, &swatch, brush);
      DeleteObject(brush);
    }
    SetTextColor(dc, Colour(e.mark.text));
    DrawTextW(dc, sample.c_str(), -1, &swatch,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, font_);
    RECT words{swatch.right + pad, top, rc.right, bottom};
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, meaning.c_str(), -1, &words, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, oldFont);
}

// A link while there is a backup to open: the link colour, underlined;
// before the first backup plain text.
void MainPainter::DrawBackupLine(const DRAWITEMSTRUCT& item) const {
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

void MainPainter::PaintPanels(HWND window, const front::MainLayout& layout) const {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  static constexpr std::pair<MainControl, UINT> kPanelEdges[] = {
      {MainControl::ButtonColumn, BDR_RAISEDINNER},
      {MainControl::ButtonBar, BDR_RAISEDINNER},
      {MainControl::StatusBar, BDR_SUNKENOUTER},
  };
  for (const auto& [panel, edge] : kPanelEdges) {
    RECT box = WinRect(layout.Of(panel));
    DrawEdge(dc, &box, edge, BF_RECT);
  }
  RECT split = WinRect(layout.splitBar);
  DrawEdge(dc, &split, BDR_RAISEDINNER, BF_TOP | BF_BOTTOM);
  EndPaint(window, &ps);
}

}  // namespace quelt::win
