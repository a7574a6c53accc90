#include "win/fuel_dialog.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/editor_flow.h"
#include "front/layout.h"
#include "front/pictures.h"
#include "front/texts.h"
#include "lang/tr.h"
#include "text/utf16.h"
#include "win/gdi_pictures.h"
#include "win/main_window.h"
#include "win/message_box.h"
#include "win/modal_dialog.h"

namespace quelt::win {
namespace {

using front::DialogItem;

constexpr UINT kShowFieldError = WM_APP + 10;
constexpr UINT_PTR kEditorSubclass = 1;
// Frames and labels but the note: this ID and the ones after it.
constexpr int kFirstStaticId = 1100;
int refused = 0;

class Dialog : public ModalDialog, private control::EditorFace {
 public:
  explicit Dialog(control::RowEditor& rows) : rows_(rows), flow_(rows, *this) {}
  ~Dialog() {
    if (font_ != nullptr) DeleteObject(font_);
    if (white_ != nullptr) DeleteObject(white_);
  }

  bool Run(HWND owner);

 private:
  static LRESULT CALLBACK EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR data);
  INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void Init();
  void ApplyLayout(int dpi);
  HWND EditorOf(FuelField field) const { return GetDlgItem(hwnd_, EditorId(field)); }
  // The field of an editor; none for another control.
  static std::optional<FuelField> FieldOf(HWND h) {
    const std::vector<FuelField>& fields = control::EditorFlow::Fields();
    const int index = GetDlgCtrlID(h) - kFirstEditorId;
    if (index < 0 || index >= static_cast<int>(fields.size())) return std::nullopt;
    return fields[static_cast<std::size_t>(index)];
  }
  void Refuse(FuelField field, char32_t c) {
    ++refused;
    MessageBeep(MB_OK);
    // A beep goes unheard in a workshop: the note says what happened.
    SetDlgItemTextW(hwnd_, kNoteId, WideFromUtf8(rows_.RefusalNote(field, c)).c_str());
  }
  void Locked(FuelField field) {
    const std::string note = rows_.LockedNote(field);
    if (note.empty()) return;
    MessageBeep(MB_OK);
    SetDlgItemTextW(hwnd_, kNoteId, WideFromUtf8(note).c_str());
  }
  void DrawButton(const DRAWITEMSTRUCT& item);

  // control::EditorFace
  std::string EditorText(FuelField field) override {
    return Utf8FromWide(WindowText(EditorOf(field)));
  }
  void ShowEditorText(FuelField field, const std::string& utf8) override {
    settingText_ = true;
    SetWindowTextW(EditorOf(field), WideFromUtf8(utf8).c_str());
    settingText_ = false;
  }
  void ClearNote() override { SetDlgItemTextW(hwnd_, kNoteId, L""); }
  control::Answer Ask(const control::Message& message) override { return AskBox(hwnd_, message); }
  void ReturnTo(FuelField field) override {
    SetFocus(EditorOf(field));
    SendMessageW(EditorOf(field), EM_SETSEL, 0, -1);
  }
  void ComplainLater(FuelField field) override {
    PostMessageW(hwnd_, kShowFieldError, static_cast<WPARAM>(field), 0);
  }

  control::RowEditor& rows_;
  control::EditorFlow flow_;
  HFONT font_ = nullptr;
  HBRUSH white_ = nullptr;
  bool settingText_ = false;
};

bool Dialog::Run(HWND owner) {
  // The controls are made from the shared layout, in pixels rather than
  // dialog units.
  return RunModal(owner, WideFromUtf8(lang::Tr(front::kDialogCaption))) == IDOK;
}

void Dialog::Init() {
  white_ = CreateSolidBrush(RGB(255, 255, 255));
  const front::DialogLayout layout = front::LayoutDialog(96);
  const std::vector<int> ids = ItemIds(layout);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const DialogItem& item = layout.items[i];
    const wchar_t* kind = L"STATIC";
    std::wstring text;
    DWORD style = 0;
    switch (item.role) {
      case DialogItem::Role::Frame:
        style |= SS_BLACKFRAME;
        break;
      case DialogItem::Role::Label:
      case DialogItem::Role::Note:
        text = WideFromUtf8(lang::Tr(item.text));
        // The note wraps onto a second line; the others are one line each.
        style |= SS_NOPREFIX | (item.role == DialogItem::Role::Note ? 0 : SS_CENTERIMAGE) |
                 (item.alignLeft ? SS_LEFT : SS_RIGHT);
        break;
      case DialogItem::Role::Editor:
        kind = L"EDIT";
        style |= WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL |
                 (rows_.Editable(item.field) ? 0 : ES_READONLY);
        break;
      case DialogItem::Role::Cancel:
      case DialogItem::Role::Ok:
        kind = L"BUTTON";
        style |= WS_TABSTOP | BS_OWNERDRAW;
        break;
    }
    HWND h = AddControl(ids[i], kind, text, style);
    if (item.role != DialogItem::Role::Editor) continue;
    if (item.field == FuelField::Description) SendMessageW(h, EM_LIMITTEXT, kDescriptionMax, 0);
    SetWindowSubclass(h, EditorProc, kEditorSubclass, reinterpret_cast<DWORD_PTR>(this));
  }
  ApplyLayout(static_cast<int>(GetDpiForWindow(hwnd_)));

  CentreOn(WorkArea(hwnd_));
  flow_.ShowRow();
  SetFocus(EditorOf(control::EditorFlow::Fields().front()));
}

void Dialog::ApplyLayout(int dpi) {
  dpi_ = dpi;
  if (font_ != nullptr) DeleteObject(font_);
  font_ = MakeFont(front::kBaseFontPoints, false, dpi);
  const front::DialogLayout layout = front::LayoutDialog(dpi);
  const std::vector<int> ids = ItemIds(layout);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const front::Rect& r = layout.items[i].rect;
    SetWindowPos(GetDlgItem(hwnd_, ids[i]), nullptr, r.x, r.y, r.w, r.h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetFontOfControls(font_);
  // The whole layout is shown: the client area is the designed one, scaled.
  SetClientSize(layout.clientWidth, layout.clientHeight, dpi);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK Dialog::EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR data) {
  auto* self = reinterpret_cast<Dialog*>(data);
  const std::optional<FuelField> field = FieldOf(hwnd);
  const bool editable = field && (GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY) == 0;
  switch (msg) {
    case WM_CHAR: {
      const auto c = static_cast<wchar_t>(wp);
      // Control characters are keys (Backspace, Ctrl+C ...), not text.
      if (editable && c >= 0x20 && c != 0x7F && !self->rows_.Accepts(*field, c)) {
        self->Refuse(*field, c);
        return 0;
      }
      // A field the user may not change (a fuel's ID) says why nothing happens.
      if (field && !editable && c >= 0x20 && c != 0x7F) self->Locked(*field);
      break;
    }
    case WM_PASTE:
      if (editable && OpenClipboard(hwnd)) {
        std::optional<char32_t> bad;
        if (HANDLE clip = GetClipboardData(CF_UNICODETEXT)) {
          if (const auto* text = static_cast<const wchar_t*>(GlobalLock(clip))) {
            bad = self->rows_.FirstRefused(*field, Utf8FromWide(text));
            GlobalUnlock(clip);
          }
        }
        CloseClipboard();
        if (bad) {
          self->Refuse(*field, *bad);
          return 0;
        }
      }
      break;
    case WM_KILLFOCUS: {
      // Another window taking the focus is no exit from the editor.
      const auto to = reinterpret_cast<HWND>(wp);
      if (!field || to == nullptr || GetParent(to) != self->hwnd_) break;
      const int id = GetDlgCtrlID(to);
      self->flow_.Left(*field, id == IDOK || id == IDCANCEL);
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, EditorProc, kEditorSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void Dialog::DrawButton(const DRAWITEMSTRUCT& item) {
  RECT rc = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &rc, GetSysColorBrush(COLOR_BTNFACE));
  DrawFrameControl(item.hDC, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  // No focus rectangle: the picture is the whole button.
  const int size = S(front::kDialogPicture);
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
        if (flow_.Accept()) EndDialog(hwnd_, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(hwnd_, IDCANCEL);
        return TRUE;
      }
      if (HIWORD(wp) == EN_CHANGE && !settingText_) {
        if (const auto field = FieldOf(reinterpret_cast<HWND>(lp))) rows_.Changed(*field);
        return TRUE;
      }
      return FALSE;
    }
    case kShowFieldError:
      flow_.Complain(static_cast<FuelField>(wp));
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
      // Editors are white with black text; in a read-only dialog they only
      // show the row and take the button face.
      if (FieldOf(reinterpret_cast<HWND>(lp)) && !rows_.ReadOnly()) {
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(white_);
      }
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
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

std::vector<int> ItemIds(const front::DialogLayout& layout) {
  std::vector<int> ids;
  int statics = 0;
  for (const DialogItem& item : layout.items) {
    switch (item.role) {
      case DialogItem::Role::Editor:
        ids.push_back(EditorId(item.field));
        break;
      case DialogItem::Role::Ok:
        ids.push_back(IDOK);
        break;
      case DialogItem::Role::Cancel:
        ids.push_back(IDCANCEL);
        break;
      case DialogItem::Role::Note:
        ids.push_back(kNoteId);
        break;
      case DialogItem::Role::Frame:
      case DialogItem::Role::Label:
        ids.push_back(kFirstStaticId + statics++);
        break;
    }
  }
  return ids;
}

int EditorId(FuelField field) {
  return kFirstEditorId + static_cast<int>(control::EditorFlow::TabIndex(field));
}

int RefusedCharacters() { return refused; }

bool RunFuelEditor(control::RowEditor& editor, HWND owner) { return Dialog(editor).Run(owner); }

}  // namespace quelt::win
