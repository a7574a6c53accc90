#include "win/tips.h"

#include <commctrl.h>

namespace quelt::win {
namespace {

TTTOOLINFOW ToolOf(HWND control, std::wstring& text) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  return tool;
}

}  // namespace

HWND MakeTips(HWND owner) {
  HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, 4096);
  return tips;
}

void AddTip(HWND tips, HWND control, const std::wstring& text) {
  std::wstring copy = text;  // the control keeps its own copy of the text
  TTTOOLINFOW tool = ToolOf(control, copy);
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void SetTip(HWND tips, HWND control, const std::wstring& text) {
  std::wstring copy = text;
  TTTOOLINFOW tool = ToolOf(control, copy);
  SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void AddAskedTip(HWND tips, HWND control) {
  std::wstring none;
  TTTOOLINFOW tool = ToolOf(control, none);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace quelt::win
