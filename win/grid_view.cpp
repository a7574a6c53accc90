#include "win/grid_view.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "control/row_menu.h"
#include "front/main_look.h"
#include "text/text_helpers.h"
#include "text/utf16.h"
#include "win/gdi_pictures.h"
#include "win/main_painter.h"

namespace quelt::win {
namespace {

using front::MainControl;

// The grid paints the colours given here; a row's selection shows where
// the cell has no colours of its own, the same with or without the focus.
void SetCellColours(NMLVCUSTOMDRAW& draw, const front::CellLook& look, bool selected) {
  const bool highlight = selected && !look.background;
  draw.clrTextBk = look.background ? Colour(*look.background)
                                   : GetSysColor(highlight ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  draw.clrText = highlight   ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                 : look.text ? Colour(*look.text)
                             : RGB(0, 0, 0);
}

}  // namespace

wchar_t UserDecimalSeparator() {
  wchar_t buffer[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) > 0 && buffer[0] != 0) {
    return buffer[0];
  }
  return L'.';
}

GridView::GridView(control::WindowController& controller, MainCommands& commands)
    : controller_(controller),
      commands_(commands),
      cells_(controller, static_cast<char32_t>(UserDecimalSeparator())) {}

int GridView::S(int pixels96) const { return ScaleForDpi(pixels96, dpi_); }

void GridView::Create(HWND grid, HWND window) {
  grid_ = grid;
  window_ = window;
  ListView_SetExtendedListViewStyle(grid,
                                    LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
  // Column 0 is the row indicator; the data columns follow.
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.pszText = const_cast<wchar_t*>(L"");
  column.cx = front::kIndicatorWidth;
  ListView_InsertColumn(grid, 0, &column);
  int index = 1;
  for (const front::GridColumn& c : front::GridColumns()) {
    const std::wstring title = WideFromUtf8(c.title);
    column.fmt = c.alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.cx = c.width;
    column.iSubItem = index;
    ListView_InsertColumn(grid, index, &column);
    ++index;
  }
}

void GridView::ApplyDpi(int dpi, HFONT font, HFONT bold) {
  dpi_ = dpi;
  font_ = font;
  bold_ = bold;
  ListView_SetColumnWidth(grid_, 0, S(front::kIndicatorWidth));
  std::vector<int> design;
  for (const front::GridColumn& column : front::GridColumns()) design.push_back(S(column.width));
  columnWidths_.Reset(std::move(design));
  FitColumns();
}

void GridView::ContextMenu(POINT screen) {
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: below the current row.
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(grid_, LVM_GETITEMRECT, static_cast<WPARAM>(std::max(controller_.CurrentRow(), 0)),
                 reinterpret_cast<LPARAM>(&row));
    screen = {row.left + S(20), row.bottom};
    ClientToScreen(grid_, &screen);
  }
  commands_.ShowRowMenu(window_, screen);
}

void GridView::ShowStep(const control::GridFollower::Step& step) {
  if (step.reset) {
    Rebuild();
  } else {
    if (step.redraw >= 0) {
      ListView_RedrawItems(grid_, step.redraw, step.redraw);
      FitColumns();
    }
    SyncSelection();
  }
}

void GridView::Redraw() {
  FitColumns();
  InvalidateRect(grid_, nullptr, FALSE);
}

void GridView::Rebuild() {
  // The texts come from the table when painted: only the number of items
  // has to follow it, then everything is drawn anew. A list read adds one
  // row at a time, so this adds one item rather than building all again.
  HWND grid = grid_;
  syncing_ = true;
  int count = ListView_GetItemCount(grid);
  while (count > controller_.GridRows()) ListView_DeleteItem(grid, --count);
  for (; count < controller_.GridRows(); ++count) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = count;
    item.pszText = LPSTR_TEXTCALLBACKW;
    ListView_InsertItem(grid, &item);
  }
  syncing_ = false;
  FitColumns();
  SyncSelection();
  if (count > 0) ListView_RedrawItems(grid, 0, count - 1);
}

void GridView::SyncSelection() {
  HWND grid = grid_;
  const int current = controller_.CurrentRow();
  syncing_ = true;
  const int count = ListView_GetItemCount(grid);
  for (int i = 0; i < count; ++i) {
    const UINT want = i == current ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    if (ListView_GetItemState(grid, i, LVIS_SELECTED | LVIS_FOCUSED) != want) {
      ListView_SetItemState(grid, i, want, LVIS_SELECTED | LVIS_FOCUSED);
    }
  }
  if (current >= 0 && current < count) ListView_EnsureVisible(grid, current, FALSE);
  syncing_ = false;
  // The row indicator moves with the current row.
  InvalidateRect(grid, nullptr, FALSE);
}

LRESULT GridView::CustomDraw(NMLVCUSTOMDRAW& d) {
  NMLVCUSTOMDRAW* draw = &d;
  HWND grid = grid_;
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      if (row < 0 || row >= controller_.GridRows()) return CDRF_DODEFAULT;
      SetCellColours(*draw, cells_.RowLook(row),
                     ListView_GetItemState(grid, row, LVIS_SELECTED) != 0);
      draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
      return CDRF_NOTIFYPOSTPAINT | CDRF_NOTIFYSUBITEMDRAW | CDRF_NEWFONT;
    }
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      // A changed cell is bold, and dark blue where no row colour is painted.
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      if (row < 0 || row >= controller_.GridRows()) return CDRF_DODEFAULT;
      const front::CellLook look = cells_.Look(row, draw->iSubItem - 1);
      SetCellColours(*draw, look, ListView_GetItemState(grid, row, LVIS_SELECTED) != 0);
      SelectObject(draw->nmcd.hdc, look.bold ? bold_ : font_);
      return CDRF_NEWFONT;
    }
    case CDDS_ITEMPOSTPAINT: {
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      RECT bounds{};
      bounds.left = LVIR_BOUNDS;
      if (SendMessageW(grid, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&bounds)) == 0) {
        return CDRF_DODEFAULT;
      }
      RECT cell = bounds;
      cell.right = cell.left + ListView_GetColumnWidth(grid, 0);
      FillRect(draw->nmcd.hdc, &cell, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(draw->nmcd.hdc, &cell, BDR_RAISEDINNER, BF_RECT);
      if (row == controller_.CurrentRow()) {
        const int h = static_cast<int>(cell.bottom - cell.top);
        const int size = std::min<int>(h, cell.right - cell.left);
        DrawCanvas(draw->nmcd.hdc, front::DrawPicture(front::Picture::RowIndicator, size, false),
                   cell.left + (cell.right - cell.left - size) / 2, cell.top + (h - size) / 2);
      }
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

bool GridView::Notify(NMHDR* header, LRESULT& result) {
  if (header->hwndFrom == ListView_GetHeader(grid_)) {
    // The user sized a column.
    if (header->code == HDN_ENDTRACKW || header->code == HDN_DIVIDERDBLCLICKW) {
      PostMessageW(window_, kGridFitMessage, 0, 0);
    }
    return false;
  }
  if (header->hwndFrom != grid_) return false;
  result = 0;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      if ((info->item.mask & LVIF_TEXT) != 0 && info->item.cchTextMax > 0) {
        cellBuffer_ = WideFromUtf8(cells_.Text(info->item.iItem, info->item.iSubItem - 1));
        const std::size_t n =
            std::min(cellBuffer_.size(), static_cast<std::size_t>(info->item.cchTextMax - 1));
        std::memcpy(info->item.pszText, cellBuffer_.data(), n * sizeof(wchar_t));
        info->item.pszText[n] = 0;
      }
      return true;
    }
    case LVN_ITEMCHANGING: {
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      // While a transfer walks the table by its current row, the user must
      // not move that row.
      result = !syncing_ && frozen_ && (change->uChanged & LVIF_STATE) != 0 ? TRUE : FALSE;
      return true;
    }
    case LVN_ITEMCHANGED: {
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if (syncing_ || (change->uChanged & LVIF_STATE) == 0) return true;
      const bool nowSelected = (change->uNewState & LVIS_SELECTED) != 0;
      const bool wasSelected = (change->uOldState & LVIS_SELECTED) != 0;
      if (nowSelected && !wasSelected) {
        cells_.Pick(change->iItem);
      } else if (!nowSelected && wasSelected) {
        // A click on empty space: the current row stays selected.
        PostMessageW(window_, kGridSyncMessage, 0, 0);
      }
      return true;
    }
    case LVN_KEYDOWN: {
      auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
      if (key->wVKey == VK_DELETE) {
        controller_.KeyPressed(control::Key::Delete, (GetKeyState(VK_CONTROL) & 0x8000) != 0, true);
      }
      return true;
    }
    case NM_RCLICK: {
      auto* click = reinterpret_cast<NMITEMACTIVATE*>(header);
      result = TRUE;
      if (!cells_.Pick(click->iItem)) return true;
      POINT at = click->ptAction;
      ClientToScreen(grid_, &at);
      commands_.ShowRowMenu(window_, at);
      return true;
    }
    case NM_DBLCLK: {
      // The editor on the row, once the click is over.
      auto* click = reinterpret_cast<NMITEMACTIVATE*>(header);
      if (const auto command = cells_.DoubleClicked(click->iItem)) {
        MainCommands::PostCommand(window_, *command);
      }
      return true;
    }
    case NM_CUSTOMDRAW:
      result = CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
      return true;
    default:
      return true;
  }
}

int GridView::RowAt(POINT client) const {
  LVHITTESTINFO hit{};
  hit.pt = client;
  return static_cast<int>(SendMessageW(grid_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

void GridView::MouseMoved(const MSG& msg, HWND tips) {
  const int row = RowAt(POINT{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
  if (row != tipRow_) {
    tipRow_ = row;
    SendMessageW(tips, TTM_UPDATE, 0, 0);
  }
}

void GridView::Tip(NMTTDISPINFOW& tip) {
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(grid_, &at);
  const std::string note = cells_.Note(RowAt(at));
  tipBuffer_ =
      WideFromUtf8(note.empty() ? control::HintText(front::InfoOf(MainControl::Grid)) : note);
  tip.lpszText = tipBuffer_.data();
}

void GridView::FitColumns() {
  HWND grid = grid_;
  if (grid == nullptr) return;
  HDC dc = GetDC(grid);
  HGDIOBJ old = SelectObject(dc, font_);
  auto width = [&](const std::string& text, bool bold) {
    SelectObject(dc, bold ? bold_ : font_);
    return TextWidth(dc, WideFromUtf8(text)) + S(12);
  };
  // Column 0 is the row indicator; the data columns follow it.
  auto now = [&](std::size_t c) { return ListView_GetColumnWidth(grid, static_cast<int>(c) + 1); };
  RECT client{};
  GetClientRect(grid, &client);
  const std::vector<int> widths = columnWidths_.FitAll(
      [&](std::size_t c) { return cells_.Needed(static_cast<int>(c), width); }, now,
      client.right - ListView_GetColumnWidth(grid, 0), front::kFillingColumn);
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (now(c) != widths[c]) ListView_SetColumnWidth(grid, static_cast<int>(c) + 1, widths[c]);
  }
  SelectObject(dc, old);
  ReleaseDC(grid, dc);
}

}  // namespace quelt::win
