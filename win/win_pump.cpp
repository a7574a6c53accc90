#include "win/win_pump.h"

#include <mmsystem.h>

namespace quelt::win {

WinPump::~WinPump() { SetFastWakeups(false); }

void WinPump::Dispatch(MSG& msg) {
  if (preTranslate_ && preTranslate_(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void WinPump::ProcessPendingEvents() {
  MSG msg;
  bool quit = false;
  WPARAM code = 0;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      code = msg.wParam;
      break;
    }
    Dispatch(msg);
  }
  if (quit) {
    quit_ = true;
    PostQuitMessage(static_cast<int>(code));
  }
}

void WinPump::WaitForActivity(comm::Handle port) {
  // A COM port opened without overlapped mode signals nothing: with one
  // open, wake after a millisecond to look at it again. Without, sleep
  // until the next message; the tick timer is one.
  const DWORD timeout = port != 0 ? 1 : 100;
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void WinPump::SetFastWakeups(bool on) {
  if (on == fast_) return;
  fast_ = on;
  if (on) {
    timeBeginPeriod(1);
  } else {
    timeEndPeriod(1);
  }
}

}  // namespace quelt::win
