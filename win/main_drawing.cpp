// The main window's drawn controls: the flat buttons with their pictures
// and captions, the small buttons, the logo, the colour legend and the
// backup line.
#include <string>

#include "front/change_mark.h"
#include "front/grid_mark.h"
#include "front/pictures.h"
#include "front/texts.h"
#include "fuel/fuel_ops.h"
#include "fuel/gas_names.h"
#include "fuel/status_text.h"
#include "lang/tr.h"
#include "text/text_helpers.h"
#include "text/utf16.h"
#include "win/gdi_pictures.h"
#include "win/main_window.h"

namespace quelt::win {
namespace {

using front::MainControl;

COLORREF Colour(front::Rgb c) { return RGB(c.r, c.g, c.b); }

// The legend's two marks: the sample in the mark's colours, then its meaning.
struct LegendEntry {
  const char* sample;
  const char* meaning;
  front::RowMark mark;
  bool changed = false;  // the change mark: bold, on the panel's face
};
std::array<LegendEntry, 3> LegendEntries() {
  auto markOf = [](int id, int n) {
    FuelRow row;
    row.ID = id;
    row.N = static_cast<std::int16_t>(n);
    return *front::MarkOf(row);
  };
  return {{{front::kLegendSampleNaturalGasH, kLegendNaturalGasH, markOf(kNaturalGasHId, 1)},
           {front::kLegendSampleUnused, kLegendUnused, markOf(0, kMaxRowsUsed + 1)},
           {front::kLegendSampleChanged, front::kLegendChanged, {{}, front::kChangedText}, true}}};
}

}  // namespace

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
  const bool small = control == MainControl::MoveUpButton ||
                     control == MainControl::MoveDownButton || control == MainControl::OpenButton ||
                     control == MainControl::SaveButton;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  if (small) {
    DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  } else if (pressed) {
    DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
  } else if (item.hwndItem == hot_ && !disabled) {
    DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
  }
  const int shift = pressed ? 1 : 0;
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;

  front::Picture picture = front::Picture::Refresh;
  int design = front::kBigPicture;
  switch (control) {
    case MainControl::SendButton:
      picture = front::Picture::Send;
      break;
    case MainControl::ExitButton:
      picture = front::Picture::Exit;
      design = front::kExitPicture;
      break;
    case MainControl::MoveUpButton:
      picture = front::Picture::Up;
      design = front::kSmallPicture;
      break;
    case MainControl::MoveDownButton:
      picture = front::Picture::Down;
      design = front::kSmallPicture;
      break;
    case MainControl::OpenButton:
      picture = front::Picture::Open;
      design = front::kSmallPicture;
      break;
    case MainControl::SaveButton:
      picture = front::Picture::Save;
      design = front::kSmallPicture;
      break;
    default:
      break;
  }
  const int size = S(design);
  wchar_t caption[64] = {};
  GetWindowTextW(item.hwndItem, caption, 64);
  const bool hasCaption = caption[0] != 0;
  HGDIOBJ oldFont = SelectObject(dc, bigFont_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int textH = hasCaption ? metrics.tmHeight : 0;
  const int gap = hasCaption ? textH / 3 : 0;
  // Picture above the caption, the two centred as one group.
  const int top = (h - size - gap - textH) / 2 + shift;
  const int left = (w - size) / 2 + shift;
  if (picture == front::Picture::Exit) {
    DrawExitSign(dc, left, top, size, disabled);
  } else {
    DrawCanvas(dc, front::DrawPicture(picture, size, disabled), left, top);
  }
  if (hasCaption) {
    RECT text{shift, top + size + gap, w + shift, top + size + gap + textH};
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
  for (const LegendEntry& e : LegendEntries()) {
    const std::wstring sample = WideFromUtf8(e.sample), meaning = WideFromUtf8(lang::Tr(e.meaning));
    SIZE size{};
    GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
    if (e.changed) {
      SelectObject(dc, boldFont_);
      GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
    }
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

std::wstring MainWindow::LegendText() {
  std::string legend;
  for (const LegendEntry& e : LegendEntries()) {
    legend += (legend.empty() ? "" : "    ") + std::string(e.sample) + " " + e.meaning;
  }
  return WideFromUtf8(legend);
}

}  // namespace quelt::win
