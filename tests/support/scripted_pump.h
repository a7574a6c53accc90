// A message pump for tests that need exact ticks: it ticks after a given
// number of event steps, and its waits only yield briefly so bytes from the
// other side of the line can arrive.
#pragma once

#include <chrono>
#include <thread>

#include "link/pump.h"

namespace quelt::test {

class ScriptedPump : public MessagePump {
 public:
  // Tick on every Nth event step (0: never by itself).
  int stepsPerTick = 0;
  long long steps = 0;
  long long ticks = 0;
  long long waits = 0;

  void Tick() {
    ++ticks;
    DeliverTick();
  }
  void ProcessPendingEvents() override {
    ++steps;
    if (stepsPerTick > 0 && steps % stepsPerTick == 0) Tick();
  }
  void WaitForActivity(SerialPort&, int) override {
    ++waits;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
};

}  // namespace quelt::test
