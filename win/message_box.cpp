#include "win/message_box.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "control/box_buttons.h"
#include "text/utf16.h"
#include "win/main_painter.h"

namespace quelt::win {
namespace {

// The system's box with as many buttons as the message has answers, and
// the buttons' IDs in the order of control::AnswersOf. The buttons are
// labelled with the answers' own words (Save, Discard, Restore, Close).
// A last answer that ends the box (Cancel, Close, OK) sits on IDCANCEL, so
// that Escape and the close box give it; IDOK stays OK's alone, so that
// nothing that presses IDOK picks another answer (Restore, Save trace).
struct SystemBox {
  UINT type;
  std::vector<int> ids;
};

SystemBox BoxFor(const std::vector<control::Answer>& answers) {
  using control::Answer;
  switch (answers.size()) {
    case 3:
      return {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}};
    case 2:
      if (answers[0] == Answer::Ok) return {MB_OKCANCEL, {IDOK, IDCANCEL}};
      if (answers[1] == Answer::Cancel || answers[1] == Answer::Close || answers[1] == Answer::Ok) {
        return {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}};
      }
      return {MB_YESNO, {IDYES, IDNO}};
    default:
      return {MB_OK, {IDOK}};
  }
}

constexpr std::pair<control::MessageKind, UINT> kIcons[] = {
    {control::MessageKind::Error, MB_ICONERROR},
    {control::MessageKind::Warning, MB_ICONWARNING},
    {control::MessageKind::Question, MB_ICONQUESTION},
    {control::MessageKind::Information, MB_ICONINFORMATION},
};

// The labels for the box this thread opens next, set when it activates.
thread_local std::vector<std::pair<int, std::wstring>> pendingLabels;

// The box's text control (its ID on Windows and in Wine).
constexpr int kBoxTextId = 0xFFFF;
constexpr UINT kTextFormat = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX;

// The box's buttons with their places in its client coordinates.
struct PlacedButton {
  HWND button;
  RECT place;
};
std::vector<PlacedButton> ButtonsOf(HWND box) {
  std::vector<PlacedButton> buttons;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t kind[16] = {};
    GetClassNameW(child, kind, 16);
    if (lstrcmpiW(kind, L"Button") != 0) continue;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    buttons.push_back({child, r});
  }
  return buttons;
}

// The system sizes the box's text to the measured width of its widest line,
// to the pixel, and drawn, the last glyph of a line can reach past that
// measure (under Wine the last letter before a line break was cut off). The
// text is given an average character of room beyond its widest line,
// measured again where the wider room joins lines, and the box grows by
// what the text grew, its buttons staying centred below it.
void GiveTextRoom(HWND box) {
  HWND label = GetDlgItem(box, kBoxTextId);
  if (label == nullptr) return;
  const std::wstring text = WindowText(label);
  RECT client{};
  GetClientRect(label, &client);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int room = std::max<int>(metrics.tmAveCharWidth, 2);
  int width = client.right;
  RECT need{};
  for (int i = 0; i < 4; ++i) {
    need = RECT{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &need, kTextFormat | DT_CALCRECT);
    if (need.right + room <= width) break;
    width = need.right + room;
  }
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  const int grownW = std::max(0, width - static_cast<int>(client.right));
  const int grownH = std::max(0, static_cast<int>(need.bottom - client.bottom));
  if (grownW == 0 && grownH == 0) return;
  SetWindowPos(label, nullptr, 0, 0, client.right + grownW, client.bottom + grownH,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const auto& [button, r] : ButtonsOf(box)) {
    SetWindowPos(button, nullptr, r.left + grownW / 2, r.top + grownH, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT outer{};
  GetWindowRect(box, &outer);
  SetWindowPos(box, nullptr, outer.left - grownW / 2, outer.top - grownH / 2,
               outer.right - outer.left + grownW, outer.bottom - outer.top + grownH,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system's buttons are as wide as its own short words: a longer label
// ("Save trace...", "Mitschnitt speichern...") widens all of them alike,
// their row centred again and the box grown to hold it.
void GiveButtonsRoom(HWND box) {
  std::vector<PlacedButton> buttons = ButtonsOf(box);
  std::erase_if(buttons, [](const PlacedButton& b) { return !IsWindowVisible(b.button); });
  if (buttons.empty()) return;
  std::sort(buttons.begin(), buttons.end(), [](const PlacedButton& a, const PlacedButton& b) {
    return a.place.left < b.place.left;
  });
  const RECT first = buttons.front().place;
  const int width = first.right - first.left;
  const int gap = buttons.size() > 1 ? buttons[1].place.left - first.right : 0;
  int need = width;
  for (const PlacedButton& b : buttons) {
    HWND button = b.button;
    const std::wstring label = WindowText(button);
    HDC dc = GetDC(button);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT r{};
    DrawTextW(dc, label.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    need = std::max<int>(need, r.right + 3 * metrics.tmAveCharWidth);
  }
  if (need == width) return;
  const int count = static_cast<int>(buttons.size());
  const int row = count * need + (count - 1) * gap;
  RECT client{};
  GetClientRect(box, &client);
  const int grow = std::max(0, row + 2 * gap - static_cast<int>(client.right));
  if (grow > 0) {
    RECT outer{};
    GetWindowRect(box, &outer);
    SetWindowPos(box, nullptr, outer.left - grow / 2, outer.top, outer.right - outer.left + grow,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  int x = (client.right + grow - row) / 2;
  for (const PlacedButton& b : buttons) {
    SetWindowPos(b.button, nullptr, x, first.top, need, first.bottom - first.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    x += need + gap;
  }
}

LRESULT CALLBACK LabelButtons(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE && !pendingLabels.empty()) {
    HWND box = reinterpret_cast<HWND>(wp);
    for (const auto& [id, text] : pendingLabels) SetDlgItemTextW(box, id, text.c_str());
    pendingLabels.clear();
    GiveTextRoom(box);
    GiveButtonsRoom(box);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

control::Answer AskBox(HWND owner, const control::Message& message) {
  const std::wstring text = WideFromUtf8(message.text), title = WideFromUtf8(message.title);
  MSGBOXPARAMSW box{};
  box.cbSize = sizeof box;
  box.hwndOwner = owner;
  box.hInstance = GetModuleHandleW(nullptr);
  box.lpszText = text.c_str();
  box.lpszCaption = title.c_str();
  const std::vector<control::Answer> answers = control::AnswersOf(message.buttons);
  const SystemBox system = BoxFor(answers);
  box.dwStyle = system.type |
                (MB_DEFBUTTON2 - MB_DEFBUTTON1) * static_cast<UINT>(control::DefaultPlace(message));
  for (const auto& [kind, icon] : kIcons) {
    if (kind == message.kind) box.dwStyle |= icon;
  }
  // Information: the program's flame where the exe carries it.
  if (message.kind == control::MessageKind::Information &&
      FindResourceW(box.hInstance, MAKEINTRESOURCEW(1), RT_GROUP_ICON) != nullptr) {
    box.dwStyle = (box.dwStyle & ~MB_ICONMASK) | MB_USERICON;
    box.lpszIcon = MAKEINTRESOURCEW(1);
  }
  // In every language, English too: the system's Yes and No would not say
  // Save and Discard, and its words follow the system's language, not the
  // window's.
  pendingLabels.clear();
  for (std::size_t i = 0; i < answers.size(); ++i) {
    pendingLabels.emplace_back(system.ids[i], WideFromUtf8(control::ButtonWord(answers[i])));
  }
  HHOOK hook = SetWindowsHookExW(WH_CBT, LabelButtons, nullptr, GetCurrentThreadId());
  const int chosen = MessageBoxIndirectW(&box);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  pendingLabels.clear();
  const auto place = std::find(system.ids.begin(), system.ids.end(), chosen) - system.ids.begin();
  return control::AnswerAt(message, static_cast<int>(place));
}

}  // namespace quelt::win
