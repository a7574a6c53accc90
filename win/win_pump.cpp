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

void WinPump::WaitForActivity(SerialPort& port) {
  // A COM port opened without overlapped mode signals nothing: the port asks
  // to be looked at again after a millisecond, the in-process line when its
  // next byte is due. Without either, sleep until the next message; the tick
  // timer is one.
  const int lookAgain = port.Hint().lookAgainMs;
  if (lookAgain == 0) return;
  const DWORD timeout = lookAgain > 0 && lookAgain < 100 ? static_cast<DWORD>(lookAgain) : 100;
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
