// The message pump the link waits through. A front end supplies one: the GUI
// dispatches window events (and its 100 ms QTimer calls AnalyserLink::OnTick),
// the command line waits on the port and ticks by the clock, tests tick on
// demand.
#pragma once

#include "link/serial_port.h"

namespace quelt {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Dispatches every pending event, a due tick included, and returns.
  virtual void ProcessPendingEvents() = 0;
  // Blocks until input may wait on `port` (asked through port.Hint() or
  // port.WaitReadable(); a closed port has none), an event is pending or the
  // next tick is due. Called only after a pass that found no input, so a wait
  // never keeps a core busy. It may dispatch the events that woke it (the
  // GUI's does); the caller tests TicksLeft again afterwards.
  virtual void WaitForActivity(SerialPort& port) = 0;
};

}  // namespace quelt
