#include "link/clock_pump.h"

#include <algorithm>

namespace quelt {

namespace {
constexpr auto kTick = std::chrono::milliseconds(100);

void ProcessTick(ClockPump::Clock::time_point& next, long long& ticks,
                 const std::function<void()>& onTick) {
  const auto now = ClockPump::Clock::now();
  if (now < next) return;
  // Like a window system's timer, a late tick is delivered once, not once for
  // every period missed.
  next = std::max(next + kTick, now + kTick / 2);
  ++ticks;
  if (onTick) onTick();
}
}  // namespace

ClockPump::ClockPump(std::function<void()> onTick)
    : onTick_(std::move(onTick)), nextTick_(Clock::now() + kTick) {}

void ClockPump::ProcessPendingEvents() { ProcessTick(nextTick_, ticks_, onTick_); }

void ClockPump::WaitForActivity(SerialPort& port) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(nextTick_ - Clock::now());
  const int ms = static_cast<int>(std::clamp<long long>(left.count(), 0, 100));
  if (ms == 0) return;
  port.WaitReadable(ms);
}

}  // namespace quelt
