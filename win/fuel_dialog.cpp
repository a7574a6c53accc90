#include "win/fuel_dialog.h"

#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "control/row_editor.h"
#include "front/layout.h"
#include "front/pictures.h"
#include "front/texts.h"
#include "fuel/status_text.h"
#include "lang/tr.h"
#include "text/utf16.h"
#include "win/gdi_pictures.h"
#include "win/main_window.h"
#include "win/message_box.h"

namespace quelt::win {
namespace {

using front::DialogItem;

constexpr UINT kShowFieldError = WM_APP + 10;
// Each control carries its name in the layout table, to be placed by it.
constexpr wchar_t kLayoutName[] = L"QueltLayoutName";
constexpr UINT_PTR kEditorSubclass = 1;
int refused = 0;

class Dialog : public ModalDialog {
 public:
  explicit Dialog(control::RowEditor& rows) : rows_(rows) {}
  ~Dialog() {
    if (font_ != nullptr) DeleteObject(font_);
    if (white_ != nullptr) DeleteObject(white_);
  }

  bool Run(HWND owner);

 private:
  struct Editor {
    HWND hwnd = nullptr;
    FuelField field = FuelField::N;
  };

  static LRESULT CALLBACK EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR data);
  INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void Init();
  void ApplyLayout(int dpi);
  void ShowRow();
  Editor* Find(HWND h);
  bool Accepts(const Editor& e, wchar_t c) const {
    return rows_.Accepts(e.field, static_cast<char32_t>(c));
  }
  void Refuse(const Editor& e, wchar_t c) {
    ++refused;
    MessageBeep(MB_OK);
    // A beep goes unheard in a workshop: the note says what happened.
    SetDlgItemTextW(hwnd_, kNoteId,
                    WideFromUtf8(rows_.RefusalNote(e.field, static_cast<char32_t>(c))).c_str());
  }
  void EditorLeft(Editor& e, HWND newFocus);
  // The editor's text into its field; false when it was refused (`refusal`).
  control::RowEditor::Stored StoreEditor(Editor& e);
  // The message for a refused text, or the question for a value outside
  // its range; true when the user kept that value.
  bool ShowFieldError(Editor& e, const control::RowEditor::Stored& stored);
  void Accept();
  void DrawButton(const DRAWITEMSTRUCT& item);

  control::RowEditor& rows_;
  HFONT font_ = nullptr;
  HBRUSH white_ = nullptr;
  int dpi_ = 96;
  bool settingText_ = false;
  std::vector<Editor> editors_;  // in tab order
};

bool Dialog::Run(HWND owner) {
  // The controls are made from the shared layout, in pixels rather than
  // dialog units.
  return RunModal(owner, WideFromUtf8(lang::Tr(front::kDialogCaption))) == IDOK;
}

void Dialog::Init() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  white_ = CreateSolidBrush(RGB(255, 255, 255));
  const front::DialogLayout layout = front::LayoutDialog(96);
  int frames = 0, labels = 0;
  for (const DialogItem& item : layout.items) {
    HWND h = nullptr;
    switch (item.kind) {
      case DialogItem::Kind::Frame:
        h = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 0, 0, 0, 0,
                            hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstFrameId + frames++)),
                            instance, nullptr);
        break;
      case DialogItem::Kind::Label: {
        // The note wraps onto a second line; the others are one line each.
        const bool note = std::string(item.name) == "LbNote";
        h = CreateWindowExW(0, L"STATIC", WideFromUtf8(lang::Tr(item.text)).c_str(),
                            WS_CHILD | WS_VISIBLE | SS_NOPREFIX | (note ? 0 : SS_CENTERIMAGE) |
                                (item.alignLeft ? SS_LEFT : SS_RIGHT),
                            0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(
                                static_cast<INT_PTR>(note ? kNoteId : kFirstLabelId + labels++)),
                            instance, nullptr);
        break;
      }
      case DialogItem::Kind::Editor: {
        const bool fixed = !rows_.Editable(item.field);
        h = CreateWindowExW(0, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL |
                                (fixed ? ES_READONLY : 0),
                            0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(EditorId(item.field))),
                            instance, nullptr);
        if (item.field == FuelField::Description) {
          SendMessageW(h, EM_LIMITTEXT, kDescriptionMax, 0);
        }
        SetWindowSubclass(h, EditorProc, kEditorSubclass, reinterpret_cast<DWORD_PTR>(this));
        editors_.push_back({h, item.field});
        break;
      }
      case DialogItem::Kind::Button: {
        const bool ok = std::string(item.name) == "BtOk";
        h = CreateWindowExW(
            0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ok ? IDOK : IDCANCEL)), instance, nullptr);
        break;
      }
    }
    SetPropW(h, kLayoutName, const_cast<char*>(item.name));
  }
  ApplyLayout(static_cast<int>(GetDpiForWindow(hwnd_)));

  // Centred on the screen.
  RECT outer{};
  GetWindowRect(hwnd_, &outer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  SetWindowPos(hwnd_, nullptr,
               area.left + (area.right - area.left - (outer.right - outer.left)) / 2,
               area.top + (area.bottom - area.top - (outer.bottom - outer.top)) / 2, 0, 0,
               SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowRow();
  SetFocus(editors_.front().hwnd);
}

void Dialog::ApplyLayout(int dpi) {
  dpi_ = dpi;
  if (font_ != nullptr) DeleteObject(font_);
  font_ = CreateFontW(-MulDiv(front::kBaseFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                      FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg 2");
  const front::DialogLayout layout = front::LayoutDialog(dpi);
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const auto* name = static_cast<const char*>(GetPropW(child, kLayoutName));
    const DialogItem* item = name != nullptr ? layout.Find(name) : nullptr;
    if (item == nullptr) continue;
    SetWindowPos(child, nullptr, item->rect.x, item->rect.y, item->rect.w, item->rect.h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  // The whole layout is shown: the client area is the designed one, scaled.
  RECT outer{0, 0, layout.clientWidth, layout.clientHeight};
  AdjustWindowRectExForDpi(&outer, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)),
                           static_cast<UINT>(dpi));
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Dialog::ShowRow() {
  settingText_ = true;
  for (Editor& e : editors_) SetWindowTextW(e.hwnd, WideFromUtf8(rows_.Text(e.field)).c_str());
  settingText_ = false;
}

Dialog::Editor* Dialog::Find(HWND h) {
  for (Editor& e : editors_) {
    if (e.hwnd == h) return &e;
  }
  return nullptr;
}

LRESULT CALLBACK Dialog::EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR data) {
  auto* self = reinterpret_cast<Dialog*>(data);
  Editor* e = self->Find(hwnd);
  const bool editable = e != nullptr && (GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY) == 0;
  switch (msg) {
    case WM_CHAR: {
      const auto c = static_cast<wchar_t>(wp);
      // Control characters are keys (Backspace, Ctrl+C ...), not text.
      if (editable && c >= 0x20 && c != 0x7F && !self->Accepts(*e, c)) {
        self->Refuse(*e, c);
        return 0;
      }
      break;
    }
    case WM_PASTE:
      if (editable && OpenClipboard(hwnd)) {
        wchar_t bad = 0;
        if (HANDLE clip = GetClipboardData(CF_UNICODETEXT)) {
          if (const auto* text = static_cast<const wchar_t*>(GlobalLock(clip))) {
            for (const wchar_t* p = text; *p != 0 && bad == 0; ++p) {
              if (!self->Accepts(*e, *p)) bad = *p;
            }
            GlobalUnlock(clip);
          }
        }
        CloseClipboard();
        if (bad != 0) {
          self->Refuse(*e, bad);
          return 0;
        }
      }
      break;
    case WM_KILLFOCUS:
      if (e != nullptr) self->EditorLeft(*e, reinterpret_cast<HWND>(wp));
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, EditorProc, kEditorSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

control::RowEditor::Stored Dialog::StoreEditor(Editor& e) {
  control::RowEditor::Stored stored = rows_.Store(e.field, Utf8FromWide(WindowText(e.hwnd)));
  if (stored.show) {
    // The value the analyser will get instead of a blank.
    settingText_ = true;
    SetWindowTextW(e.hwnd, WideFromUtf8(*stored.show).c_str());
    settingText_ = false;
  }
  return stored;
}

void Dialog::EditorLeft(Editor& e, HWND newFocus) {
  // Cancel drops everything and OK checks every editor itself; another
  // window taking the focus is no exit from the editor.
  if (newFocus == nullptr || GetParent(newFocus) != hwnd_) return;
  // The note belongs to the editor the user was in.
  SetDlgItemTextW(hwnd_, kNoteId, L"");
  const int id = GetDlgCtrlID(newFocus);
  if (id == IDOK || id == IDCANCEL) return;
  if (StoreEditor(e).ok) return;
  // Let the focus arrive first, then complain and bring it back.
  PostMessageW(hwnd_, kShowFieldError, reinterpret_cast<WPARAM>(e.hwnd), 0);
}

bool Dialog::ShowFieldError(Editor& e, const control::RowEditor::Stored& stored) {
  if (rows_.Answered(e.field, Utf8FromWide(WindowText(e.hwnd)), stored,
                     AskBox(hwnd_, stored.refusal))) {
    return true;
  }
  SetFocus(e.hwnd);
  SendMessageW(e.hwnd, EM_SETSEL, 0, -1);
  return false;
}

void Dialog::Accept() {
  for (Editor& e : editors_) {
    const control::RowEditor::Stored stored = StoreEditor(e);
    if (!stored.ok && !ShowFieldError(e, stored)) return;
  }
  EndDialog(hwnd_, IDOK);
}

void Dialog::DrawButton(const DRAWITEMSTRUCT& item) {
  RECT rc = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &rc, GetSysColorBrush(COLOR_BTNFACE));
  DrawFrameControl(item.hDC, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  // No focus rectangle: the picture is the whole button.
  const int size = MulDiv(front::kDialogPicture, dpi_, 96);
  const front::Picture picture = item.CtlID == IDOK ? front::Picture::Ok : front::Picture::Cancel;
  const int shift = pressed ? 1 : 0;
  DrawCanvas(item.hDC, front::DrawPicture(picture, size, (item.itemState & ODS_DISABLED) != 0),
             rc.left + (rc.right - rc.left - size) / 2 + shift,
             rc.top + (rc.bottom - rc.top - size) / 2 + shift);
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      Init();
      return FALSE;  // the focus is set
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id == IDOK) {
        Accept();
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(hwnd_, IDCANCEL);
        return TRUE;
      }
      if (HIWORD(wp) == EN_CHANGE && !settingText_) {
        if (Editor* e = Find(reinterpret_cast<HWND>(lp))) rows_.Changed(e->field);
        return TRUE;
      }
      return FALSE;
    }
    case kShowFieldError:
      if (Editor* e = Find(reinterpret_cast<HWND>(wp))) {
        const control::RowEditor::Stored stored = StoreEditor(*e);
        if (!stored.ok) ShowFieldError(*e, stored);
      }
      return TRUE;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      auto dc = reinterpret_cast<HDC>(wp);
      // The note is dark red; every other text black.
      SetTextColor(
          dc, GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == kNoteId ? RGB(160, 0, 0) : RGB(0, 0, 0));
      const Editor* e = Find(reinterpret_cast<HWND>(lp));
      // Editors are white with black text; in a read-only dialog they only
      // show the row and take the button face.
      if (e != nullptr && !rows_.ReadOnly()) {
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(white_);
      }
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DESTROY:
      for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
           child = GetWindow(child, GW_HWNDNEXT)) {
        RemovePropW(child, kLayoutName);
      }
      return FALSE;
    case WM_DPICHANGED: {
      ApplyLayout(HIWORD(wp));
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int EditorId(FuelField field) {
  int index = 0;
  for (const DialogItem& item : front::LayoutDialog(96).items) {
    if (item.kind != DialogItem::Kind::Editor) continue;
    if (item.field == field) return kFirstEditorId + index;
    ++index;
  }
  return 0;
}

int RefusedCharacters() { return refused; }

bool EditFuelRow(FuelTable& table, bool readOnly, HWND owner) {
  control::RowEditor rows(table, readOnly, static_cast<char32_t>(UserDecimalSeparator()));
  bool accepted = false;
  {
    Dialog dialog(rows);
    accepted = dialog.Run(owner);
  }
  rows.Finish(accepted);
  return accepted;
}

}  // namespace quelt::win
