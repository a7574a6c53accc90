// The message pump the link waits through. A front end supplies one: the GUI
// dispatches window events and its 100 ms timer delivers the ticks, the
// command line waits on the port and ticks by the clock, tests tick on
// demand. Whoever needs the ticks registers for them here: AnalyserLink does
// so itself for as long as it lives, so no program has to wire it up.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "link/serial_port.h"

namespace quelt {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Dispatches every pending event, a due tick included, and returns.
  virtual void ProcessPendingEvents() = 0;
  // Blocks until input may wait on `port` (asked through port.Hint() or
  // port.WaitReadable(); a closed port has none), an event is pending, the
  // next tick is due or `atMostMs` passed (negative: no bound but the tick).
  // Called only after a pass that found no input, so a wait never keeps a
  // core busy. It may dispatch the events that woke it (the GUI's does); the
  // caller tests its ticks again afterwards.
  virtual void WaitForActivity(SerialPort& port, int atMostMs) = 0;

  // `onTick` runs on every tick, in the order of registration, until the
  // returned id is removed.
  int AddTickHandler(std::function<void()> onTick) {
    tickHandlers_.emplace_back(++lastTickHandler_, std::move(onTick));
    return lastTickHandler_;
  }
  void RemoveTickHandler(int id) {
    std::erase_if(tickHandlers_, [id](const auto& h) { return h.first == id; });
  }
  // One tick: the pump's own timer calls it, or the window timer that stands
  // for it.
  void DeliverTick() {
    for (std::size_t i = 0; i < tickHandlers_.size(); ++i) {
      const auto onTick = tickHandlers_[i].second;
      onTick();
    }
  }

 private:
  std::vector<std::pair<int, std::function<void()>>> tickHandlers_;
  int lastTickHandler_ = 0;
};

}  // namespace quelt
