#include "win/backups_dialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "control/backups_view.h"
#include "control/box_buttons.h"
#include "control/window_controller.h"
#include "text/utf16.h"
#include "win/main_window.h"
#include "win/modal_dialog.h"
#include "win/tips.h"

namespace quelt::win {
namespace {

// The dialog's client area at 96 dpi and its margins.
constexpr int kWidth = control::BackupsView::kWidth, kHeight = control::BackupsView::kHeight;
constexpr int kMargin = 8, kLineH = 18, kButtonW = 110, kButtonH = 26, kCompareW = 170;

class Dialog : public ModalDialog {
 public:
  explicit Dialog(control::WindowController& controller)
      : view_(controller, static_cast<char32_t>(UserDecimalSeparator())) {}
  void Run(HWND owner);

 private:
  INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void Init();
  void Layout();
  void Fill();
  void ShowSelected();
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  control::BackupsView view_;
  bool filling_ = false;
};

void SetColumns(HWND list, const std::vector<std::string>& titles, int width) {
  for (std::size_t c = 0; c < titles.size(); ++c) {
    std::wstring title = WideFromUtf8(titles[c]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title.data();
    column.cx = width;
    ListView_InsertColumn(list, static_cast<int>(c), &column);
  }
}

void SetRow(HWND list, int row, const std::vector<std::string>& cells) {
  wchar_t none[] = L"";
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = none;
  ListView_InsertItem(list, &item);
  for (std::size_t c = 0; c < cells.size(); ++c) {
    std::wstring cell = WideFromUtf8(cells[c]);
    ListView_SetItemText(list, row, static_cast<int>(c), cell.data());
  }
}

void Dialog::Run(HWND owner) { RunModal(owner, WideFromUtf8(control::BackupsView::Caption())); }

void Dialog::Init() {
  HFONT font = UseMessageFont();
  AddControl(kBackupsHeadingId, L"STATIC", L"", SS_LEFT | SS_NOPREFIX);
  HWND list =
      AddControl(kBackupsListId, WC_LISTVIEWW, L"",
                 WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  SetColumns(list, control::BackupsView::ListTitles(), S(90));
  ListView_SetColumnWidth(list, 0, S(200));
  ListView_SetColumnWidth(list, 1, S(60));
  ListView_SetColumnWidth(list, 2, S(60));
  ListView_SetColumnWidth(list, 3, S(200));
  ListView_SetColumnWidth(list, 4, S(140));
  HWND rows = AddControl(kBackupRowsId, WC_LISTVIEWW, L"",
                         WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE);
  SetColumns(rows, control::BackupsView::RowTitles(), S(52));
  ListView_SetColumnWidth(rows, 2, S(130));
  AddControl(kBackupNoteId, L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS);
  AddControl(kRestoreButtonId, L"BUTTON",
             WideFromUtf8(control::ButtonWord(control::Answer::Restore)),
             WS_TABSTOP | BS_PUSHBUTTON);
  AddControl(kLoadButtonId, L"BUTTON", WideFromUtf8(control::BackupsView::LoadWord()),
             WS_TABSTOP | BS_PUSHBUTTON);
  AddControl(kCompareButtonId, L"BUTTON", WideFromUtf8(control::BackupsView::CompareWord()),
             WS_TABSTOP | BS_PUSHBUTTON);
  AddControl(IDCANCEL, L"BUTTON", WideFromUtf8(control::ButtonWord(control::Answer::Close)),
             WS_TABSTOP | BS_DEFPUSHBUTTON);
  HWND tips = MakeTips(hwnd_);
  AddTip(tips, Item(kRestoreButtonId), WideFromUtf8(control::BackupsView::RestoreHint()));
  AddTip(tips, Item(kLoadButtonId), WideFromUtf8(control::BackupsView::LoadHint()));
  AddTip(tips, Item(kCompareButtonId), WideFromUtf8(control::BackupsView::CompareHint()));
  SetFontOfControls(font);

  // The design's size, made smaller where the screen is, centred on the
  // main window and kept on the screen.
  SetClientSize(S(kWidth), S(kHeight), dpi_);
  CentreOnOwnerWithinWorkArea();
  Layout();
  Fill();
  SetFocus(list);
}

void Dialog::Layout() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int m = S(kMargin), width = client.right - 2 * m, lineH = S(kLineH);
  const int buttonsY = client.bottom - m - S(kButtonH);
  const int noteY = buttonsY - m - lineH;
  const int listY = m + lineH + m / 2, listH = S(150);
  const int rowsY = listY + listH + m;
  MoveWindow(Item(kBackupsHeadingId), m, m, width, lineH, FALSE);
  MoveWindow(Item(kBackupsListId), m, listY, width, listH, FALSE);
  MoveWindow(Item(kBackupRowsId), m, rowsY, width, noteY - m / 2 - rowsY, FALSE);
  MoveWindow(Item(kBackupNoteId), m, noteY, width, lineH, FALSE);
  const int bw = S(kButtonW), bh = S(kButtonH);
  MoveWindow(Item(kRestoreButtonId), m, buttonsY, bw, bh, FALSE);
  MoveWindow(Item(kLoadButtonId), m + bw + m, buttonsY, bw, bh, FALSE);
  MoveWindow(Item(kCompareButtonId), m + 2 * (bw + m), buttonsY, S(kCompareW), bh, FALSE);
  MoveWindow(Item(IDCANCEL), client.right - m - bw, buttonsY, bw, bh, FALSE);
}

void Dialog::Fill() {
  filling_ = true;
  SetWindowTextW(Item(kBackupsHeadingId), WideFromUtf8(view_.Heading()).c_str());
  HWND list = Item(kBackupsListId);
  ListView_DeleteAllItems(list);
  int row = 0;
  for (const BackupEntry& entry : view_.Entries()) {
    SetRow(list, row++, control::BackupsView::Columns(entry));
  }
  if (view_.Selected() >= 0) {
    ListView_SetItemState(list, view_.Selected(), LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
  }
  filling_ = false;
  ShowSelected();
}

void Dialog::ShowSelected() {
  HWND rows = Item(kBackupRowsId);
  ListView_DeleteAllItems(rows);
  for (std::size_t r = 0; r < view_.SelectedRows().size(); ++r) {
    SetRow(rows, static_cast<int>(r), view_.RowCells(r));
  }
  SetWindowTextW(Item(kBackupNoteId), WideFromUtf8(view_.SelectedNote()).c_str());
  EnableWindow(Item(kRestoreButtonId), view_.CanRestore() ? TRUE : FALSE);
  EnableWindow(Item(kLoadButtonId), view_.CanLoad() ? TRUE : FALSE);
  EnableWindow(Item(kCompareButtonId), view_.CanCompare() ? TRUE : FALSE);
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      Init();
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kRestoreButtonId:
          view_.Restore();
          Fill();
          return TRUE;
        case kLoadButtonId:
          if (view_.Load()) EndDialog(hwnd_, IDOK);
          return TRUE;
        case kCompareButtonId:
          view_.Compare();
          return TRUE;
        case IDCANCEL:
          EndDialog(hwnd_, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      if (header->idFrom == static_cast<UINT_PTR>(kBackupsListId) &&
          header->code == LVN_ITEMCHANGED && !filling_) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((change->uNewState & LVIS_SELECTED) != 0 && (change->uOldState & LVIS_SELECTED) == 0) {
          view_.Select(change->iItem);
          ShowSelected();
        }
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

void ShowBackupsDialog(control::WindowController& controller, HWND owner) {
  Dialog dialog(controller);
  dialog.Run(owner);
}

}  // namespace quelt::win
