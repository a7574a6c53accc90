#include "win/win_pump.h"

#include <mmsystem.h>

#include <chrono>

namespace quelt::win {

WinPump::~WinPump() { SetFastWakeups(false); }

void WinPump::Dispatch(MSG& msg) {
  if (preTranslate_ && preTranslate_(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void WinPump::ProcessPendingEvents() {
  if (fast_) {
    // While a transfer runs the link's wait asks about every millisecond,
    // and looking at the queue costs far more than looking at the port
    // (under Wine a trip to the server and the display driver each time).
    // Looking every few milliseconds answers the user as soon as anyone
    // can see, at a fraction of the processor time.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastLook_ < kLookEvery) return;
    lastLook_ = now;
  }
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
  // WM_QUIT arrived during a wait: posted again for the outer loop.
  if (quit) PostQuitMessage(static_cast<int>(code));
}

void WinPump::WaitForActivity(SerialPort& port, int atMostMs) {
  // A COM port opened without overlapped mode signals nothing: the port asks
  // to be looked at again after a millisecond, the in-process line when its
  // next byte is due. Without either, sleep until the next message; the tick
  // timer is one.
  int lookAgain = port.Hint().lookAgainMs;
  if (atMostMs >= 0 && (lookAgain < 0 || atMostMs < lookAgain)) lookAgain = atMostMs;
  if (lookAgain == 0) return;
  if (lookAgain > 0 && lookAgain <= kSleepThroughMs) {
    // So short a wait is slept through on the port: the pass after it
    // dispatches every message, so the window answers as soon, while a
    // message wait this short returns late (under Wine a reply's last byte
    // was seen ~25 ms after it came) and costs more than the sleep.
    port.WaitReadable(lookAgain);
    return;
  }
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
