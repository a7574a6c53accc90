// The line TSerial talks through, chosen at run time: the device line (the
// system's serial port through the comm seam) or a line that ends inside the
// program (the simulated analyser of the demo mode). Handles are the line's
// own: 0 is none, comm::kInvalid a failed open.
#pragma once

#include <cstdint>
#include <string>

#include "link/comm.h"
#include "link/dcb.h"

namespace quelt {

// What a wait for input can sleep on, asked of the line before each wait.
struct WaitHint {
  // A descriptor that turns readable when input arrives; 0 when none.
  comm::Handle pollable = 0;
  // Look at the line again after at most this many milliseconds (0: at
  // once); -1 when only `pollable`, an event or the next tick can bring input.
  int lookAgainMs = -1;
};

class Line {
 public:
  virtual ~Line() = default;

  // The calls of link/comm.h, with the same meaning.
  virtual std::string DevicePathForPort(std::int32_t number) const = 0;
  virtual comm::Handle Open(const std::string& devicePath, comm::Reason* reason) = 0;
  virtual void SetupQueues(comm::Handle h, std::uint32_t inQueue, std::uint32_t outQueue) = 0;
  virtual bool SetState(comm::Handle h, const DcbRecord& dcb, comm::Reason* reason) = 0;
  virtual bool Write(comm::Handle h, const void* data, std::uint32_t count) = 0;
  virtual std::uint32_t Read(comm::Handle h, void* data, std::uint32_t count) = 0;
  virtual std::uint32_t BytesWaiting(comm::Handle h) = 0;
  virtual bool LineGone(comm::Handle h) = 0;
  virtual void Close(comm::Handle h) = 0;
  virtual void WaitReadable(comm::Handle h, int timeoutMs) = 0;

  virtual WaitHint Hint(comm::Handle h) = 0;
};

// The system's serial ports: forwards to the comm backend. One for the
// program; it holds no state of its own.
Line& DeviceLine();

}  // namespace quelt
