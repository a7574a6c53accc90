// The message pump of a program without a window (the command line, the
// benchmarks): it ticks by the monotonic clock every 100 ms and waits on the
// port between ticks.
#pragma once

#include <chrono>

#include "link/pump.h"

namespace quelt {

class ClockPump : public MessagePump {
 public:
  using Clock = std::chrono::steady_clock;
  ClockPump();

  void ProcessPendingEvents() override;
  void WaitForActivity(SerialPort& port, int atMostMs) override;

  long long Ticks() const { return ticks_; }

 private:
  Clock::time_point nextTick_;
  long long ticks_ = 0;
};

}  // namespace quelt
