#include "link/clock_pump.h"

#include <algorithm>

namespace quelt {

namespace {
constexpr auto kTick = std::chrono::milliseconds(100);
}  // namespace

ClockPump::ClockPump() : nextTick_(Clock::now() + kTick) {}

void ClockPump::ProcessPendingEvents() {
  const auto now = Clock::now();
  if (now < nextTick_) return;
  // Like a window system's timer, a late tick is delivered once, not once for
  // every period missed.
  nextTick_ = std::max(nextTick_ + kTick, now + kTick / 2);
  ++ticks_;
  DeliverTick();
}

void ClockPump::WaitForActivity(SerialPort& port, int atMostMs) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(nextTick_ - Clock::now());
  int ms = static_cast<int>(std::clamp<long long>(left.count(), 0, 100));
  if (atMostMs >= 0) ms = std::min(ms, atMostMs);
  if (ms == 0) return;
  port.WaitReadable(ms);
}

}  // namespace quelt
