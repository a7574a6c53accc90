#include "win/parties_dialog.h"

#include <algorithm>
#include <array>
#include <string>

#include "control/box_buttons.h"
#include "lang/tr.h"
#include "text/utf16.h"
#include "win/main_painter.h"
#include "win/modal_dialog.h"

namespace quelt::win {
namespace {

// Margins and sizes at 96 dpi; the labels and buttons are as wide as their
// words in the dialog's font.
constexpr int kMargin = 10, kGap = 8, kEditW = 280, kButtonW = 80, kButtonH = 26;

class Dialog : public ModalDialog {
 public:
  explicit Dialog(control::ReportParties& parties) : parties_(parties) {}
  bool Run(HWND owner) {
    return RunModal(owner, WideFromUtf8(lang::Tr(control::kPartiesCaption))) == IDOK;
  }

 private:
  struct Line {
    int id;
    const char* label;
    std::string* text;
  };
  INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void Init();
  void Keep();

  control::ReportParties& parties_;
  std::array<Line, 3> lines_{
      {{kCustomerEditId, control::kCustomerLabel, &parties_.customer},
       {kSiteEditId, control::kSiteLabel, &parties_.site},
       {kTechnicianEditId, control::kTechnicianLabel, &parties_.technician}}};
};

void Dialog::Init() {
  HFONT font = UseMessageFont();
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW text{};
  GetTextMetricsW(dc, &text);
  int labelW = 0;
  for (const Line& line : lines_) {
    labelW = std::max(labelW, TextWidth(dc, WideFromUtf8(lang::Tr(line.label))));
  }
  const std::wstring ok = WideFromUtf8(control::ButtonWord(control::Answer::Ok));
  const std::wstring cancel = WideFromUtf8(control::ButtonWord(control::Answer::Cancel));
  const int buttonW =
      std::max({S(kButtonW), TextWidth(dc, ok) + S(24), TextWidth(dc, cancel) + S(24)});
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);

  const int lineH = static_cast<int>(text.tmHeight);
  const int m = S(kMargin), gap = S(kGap), editH = lineH + S(8);
  const int buttonH = std::max(S(kButtonH), lineH + S(10));
  const int editX = m + labelW + gap, width = editX + S(kEditW) + m;
  int y = m;
  for (const Line& line : lines_) {
    AddControl(-1, L"STATIC", WideFromUtf8(lang::Tr(line.label)),
               SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX, 0, m, y, labelW, editH);
    HWND edit = AddControl(line.id, L"EDIT", WideFromUtf8(*line.text), WS_TABSTOP | ES_AUTOHSCROLL,
                           WS_EX_CLIENTEDGE, editX, y, S(kEditW), editH);
    SendMessageW(edit, EM_LIMITTEXT, control::kPartyMaxChars, 0);
    y += editH + gap;
  }
  y += gap;
  AddControl(IDOK, L"BUTTON", ok, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, width - m - 2 * buttonW - gap,
             y, buttonW, buttonH);
  AddControl(IDCANCEL, L"BUTTON", cancel, WS_TABSTOP | BS_PUSHBUTTON, 0, width - m - buttonW, y,
             buttonW, buttonH);
  SetFontOfControls(font);
  SetClientSize(width, y + buttonH + m, dpi_);
  CentreOnOwnerWithinWorkArea();
  HWND first = GetDlgItem(hwnd_, kCustomerEditId);
  SetFocus(first);
  SendMessageW(first, EM_SETSEL, 0, -1);
}

// What the edits hold, UTF-16 to UTF-8.
void Dialog::Keep() {
  for (const Line& line : lines_) {
    *line.text = Utf8FromWide(WindowText(GetDlgItem(hwnd_, line.id)));
  }
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wp, LPARAM /*lp*/) {
  switch (msg) {
    case WM_INITDIALOG:
      Init();
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
          Keep();
          EndDialog(hwnd_, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(hwnd_, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

bool EditReportParties(control::ReportParties& parties, HWND owner) {
  // The form works on a copy: Cancel leaves `parties` as it was.
  control::ReportParties edited = parties;
  Dialog dialog(edited);
  if (!dialog.Run(owner)) return false;
  parties = edited;
  return true;
}

}  // namespace quelt::win
