#include "win/parties_dialog.h"

#include <algorithm>
#include <array>
#include <string>

#include "control/box_buttons.h"
#include "lang/tr.h"
#include "text/utf16.h"
#include "win/message_box.h"

namespace quelt::win {
namespace {

// Margins and sizes at 96 dpi; the labels and buttons are as wide as their
// words in the dialog's font.
constexpr int kMargin = 10, kGap = 8, kEditW = 280, kButtonW = 80, kButtonH = 26;

class Dialog : public ModalDialog {
 public:
  explicit Dialog(control::ReportParties& parties) : parties_(parties) {}
  bool Run(HWND owner) {
    const INT_PTR result = RunModal(owner, WideFromUtf8(lang::Tr(control::kPartiesCaption)));
    if (font_ != nullptr) DeleteObject(font_);
    return result == IDOK;
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
  int S(int v) const { return MulDiv(v, dpi_, 96); }
  int TextWidth(HDC dc, const std::wstring& text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

  control::ReportParties& parties_;
  std::array<Line, 3> lines_{
      {{kCustomerEditId, control::kCustomerLabel, &parties_.customer},
       {kSiteEditId, control::kSiteLabel, &parties_.site},
       {kTechnicianEditId, control::kTechnicianLabel, &parties_.technician}}};
  HFONT font_ = nullptr;
  int dpi_ = 96;
};

void Dialog::Init() {
  dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
  if (dpi_ <= 0) dpi_ = 96;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                             static_cast<UINT>(dpi_));
  font_ = CreateFontIndirectW(&metrics.lfMessageFont);

  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font_);
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
  HINSTANCE instance = GetModuleHandleW(nullptr);
  auto make = [&](int id, const wchar_t* cls, const std::wstring& caption, DWORD style, int x,
                  int y, int w, int h, DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, cls, caption.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                           hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                           nullptr);
  };
  int y = m;
  for (const Line& line : lines_) {
    make(-1, L"STATIC", WideFromUtf8(lang::Tr(line.label)), SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX,
         m, y, labelW, editH);
    HWND edit = make(line.id, L"EDIT", WideFromUtf8(*line.text), WS_TABSTOP | ES_AUTOHSCROLL, editX,
                     y, S(kEditW), editH, WS_EX_CLIENTEDGE);
    SendMessageW(edit, EM_LIMITTEXT, control::kPartyMaxChars, 0);
    y += editH + gap;
  }
  y += gap;
  make(IDOK, L"BUTTON", ok, WS_TABSTOP | BS_DEFPUSHBUTTON, width - m - 2 * buttonW - gap, y,
       buttonW, buttonH);
  make(IDCANCEL, L"BUTTON", cancel, WS_TABSTOP | BS_PUSHBUTTON, width - m - buttonW, y, buttonW,
       buttonH);
  SetFontOfControls(font_);
  SetClientSize(width, y + buttonH + m, dpi_);
  RECT owner{};
  GetWindowRect(GetParent(hwnd_) != nullptr ? GetParent(hwnd_) : GetDesktopWindow(), &owner);
  CentreOn(owner);
  HWND first = GetDlgItem(hwnd_, kCustomerEditId);
  SetFocus(first);
  SendMessageW(first, EM_SETSEL, 0, -1);
}

// What the edits hold, UTF-16 to UTF-8.
void Dialog::Keep() {
  for (const Line& line : lines_) {
    HWND edit = GetDlgItem(hwnd_, line.id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    *line.text = Utf8FromWide(text);
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
