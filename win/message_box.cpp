#include "win/message_box.h"

#include <string>
#include <utility>
#include <vector>

#include "lang/tr.h"

#include "text/utf16.h"

namespace quelt::win {
namespace {

using control::Answer;
using control::Buttons;

UINT ButtonsOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return MB_OK;
    case Buttons::OkCancel:
      return MB_OKCANCEL;
    case Buttons::YesNo:
      return MB_YESNO;
    case Buttons::SaveDiscardCancel:
      return MB_YESNOCANCEL;  // Yes saves, No discards
    case Buttons::RestoreClose:
      return MB_YESNO;  // Yes restores, No closes
  }
  return MB_OK;
}

int IdOf(Answer answer) {
  switch (answer) {
    case Answer::Ok:
      return IDOK;
    case Answer::Cancel:
      return IDCANCEL;
    case Answer::Yes:
    case Answer::Save:
    case Answer::Restore:
      return IDYES;
    case Answer::No:
    case Answer::Discard:
    case Answer::Close:
      return IDNO;
  }
  return IDOK;
}

// The default button's place among the box's buttons.
UINT DefaultOf(const control::Message& m) {
  const int id = IdOf(m.defaultAnswer);
  const bool second = (m.buttons == Buttons::OkCancel && id == IDCANCEL) ||
                      (m.buttons != Buttons::OkCancel && id == IDNO);
  const bool third = m.buttons == Buttons::SaveDiscardCancel && id == IDCANCEL;
  return third ? MB_DEFBUTTON3 : second ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
}

Answer AnswerOf(const control::Message& m, int id) {
  const bool save = m.buttons == Buttons::SaveDiscardCancel;
  const bool restore = m.buttons == Buttons::RestoreClose;
  switch (id) {
    case IDOK:
      return Answer::Ok;
    case IDYES:
      return save ? Answer::Save : restore ? Answer::Restore : Answer::Yes;
    case IDNO:
      return save ? Answer::Discard : restore ? Answer::Close : Answer::No;
    default:
      return m.buttons == Buttons::Ok ? Answer::Ok : restore ? Answer::Close : Answer::Cancel;
  }
}

// The buttons' words in the language in use; empty for English, whose boxes
// keep the system's words.
std::vector<std::pair<int, std::wstring>> LabelsOf(Buttons buttons) {
  if (lang::Language() == "en") return {};
  const std::wstring ok = WideFromUtf8(lang::TrIn("button", "OK"));
  const std::wstring cancel = WideFromUtf8(lang::TrIn("button", "Cancel"));
  switch (buttons) {
    case Buttons::Ok:
      return {{IDOK, ok}};
    case Buttons::OkCancel:
      return {{IDOK, ok}, {IDCANCEL, cancel}};
    case Buttons::YesNo:
      return {{IDYES, WideFromUtf8(lang::TrIn("button", "&Yes"))},
              {IDNO, WideFromUtf8(lang::TrIn("button", "&No"))}};
    case Buttons::SaveDiscardCancel:
      return {{IDYES, WideFromUtf8(lang::TrIn("button", "&Save"))},
              {IDNO, WideFromUtf8(lang::TrIn("button", "&Discard"))},
              {IDCANCEL, cancel}};
    case Buttons::RestoreClose:
      return {{IDYES, WideFromUtf8(lang::TrIn("button", "&Restore"))},
              {IDNO, WideFromUtf8(lang::TrIn("button", "&Close"))}};
  }
  return {};
}

// The labels for the box this thread opens next, set when it activates.
thread_local std::vector<std::pair<int, std::wstring>> pendingLabels;

LRESULT CALLBACK LabelButtons(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE && !pendingLabels.empty()) {
    HWND box = reinterpret_cast<HWND>(wp);
    for (const auto& [id, text] : pendingLabels) SetDlgItemTextW(box, id, text.c_str());
    pendingLabels.clear();
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
  box.dwStyle = ButtonsOf(message.buttons) | DefaultOf(message);
  switch (message.kind) {
    case control::MessageKind::Error:
      box.dwStyle |= MB_ICONERROR;
      break;
    case control::MessageKind::Warning:
      box.dwStyle |= MB_ICONWARNING;
      break;
    case control::MessageKind::Question:
      box.dwStyle |= MB_ICONQUESTION;
      break;
    case control::MessageKind::Information:
      // The program's flame where the exe carries it.
      if (FindResourceW(box.hInstance, MAKEINTRESOURCEW(1), RT_GROUP_ICON) != nullptr) {
        box.dwStyle |= MB_USERICON;
        box.lpszIcon = MAKEINTRESOURCEW(1);
      } else {
        box.dwStyle |= MB_ICONINFORMATION;
      }
      break;
  }
  pendingLabels = LabelsOf(message.buttons);
  HHOOK hook = pendingLabels.empty()
                   ? nullptr
                   : SetWindowsHookExW(WH_CBT, LabelButtons, nullptr, GetCurrentThreadId());
  const int chosen = MessageBoxIndirectW(&box);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  pendingLabels.clear();
  return AnswerOf(message, chosen);
}

INT_PTR ModalDialog::RunModal(HWND owner, const std::wstring& caption) {
  std::vector<WORD> t;
  auto dword = [&t](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  dword(WS_EX_CONTROLPARENT);
  t.push_back(0);                              // no items
  for (int i = 0; i < 4; ++i) t.push_back(0);  // x, y, cx, cy: set later
  t.push_back(0);                              // no menu
  t.push_back(0);                              // default class
  for (wchar_t c : caption) t.push_back(static_cast<WORD>(c));
  t.push_back(0);
  t.push_back(0);  // padding
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                 reinterpret_cast<const DLGTEMPLATE*>(t.data()), owner, DialogProc,
                                 reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ModalDialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<ModalDialog*>(lp);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  return self != nullptr ? self->Handle(msg, wp, lp) : FALSE;
}

}  // namespace quelt::win
