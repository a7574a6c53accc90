// The link's message pump in a Win32 program. A wait dispatches nothing
// itself: with a port open it sleeps about a millisecond (a COM port) or
// until the next byte is due (the in-process line), so that a byte on the
// line is noticed within ~2 ms; otherwise it sleeps in
// MsgWaitForMultipleObjectsEx until a message arrives (the 100 ms WM_TIMER
// tick among them). The fine timer resolution that needs is asked for only
// while a transfer runs.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

#include "link/pump.h"

namespace quelt::win {

class WinPump : public MessagePump {
 public:
  WinPump() = default;
  ~WinPump() override;
  WinPump(const WinPump&) = delete;
  WinPump& operator=(const WinPump&) = delete;

  // Keyboard navigation of a window (IsDialogMessage); true: handled.
  void SetPreTranslate(std::function<bool(MSG&)> pre) { preTranslate_ = std::move(pre); }

  void ProcessPendingEvents() override;
  void WaitForActivity(SerialPort& port, int atMostMs) override;

  // timeBeginPeriod(1) while on; balanced however often it is called.
  void SetFastWakeups(bool on);
  bool FastWakeups() const { return fast_; }

  // Dispatches one message the way every loop of the program does.
  void Dispatch(MSG& msg);

 private:
  // A port that asks to be looked at again within this many milliseconds is
  // slept on, not waited on for messages too.
  static constexpr int kSleepThroughMs = 2;
  // While a transfer runs, the message queue is looked at no more often:
  // 100 times a second answers a click or a key before anyone can tell.
  static constexpr std::chrono::milliseconds kLookEvery{10};

  std::function<bool(MSG&)> preTranslate_;
  bool fast_ = false;
  std::chrono::steady_clock::time_point lastLook_{};
};

}  // namespace quelt::win
