// The serial seam: the handful of calls SerialPort makes, as one interface with
// one implementation per place a line can end. DeviceLine() is the system's
// serial ports (line_posix.cpp: termios on a tty; line_win32.cpp: the Win32
// communications calls); sim::InProcessLine ends inside the program (the
// simulated analyser of the demo mode). SerialPort holds all the logic; a line
// only talks to what is behind it. Handles are the line's own: 0 is none,
// comm::kInvalid a failed open.
#pragma once

#include <cstdint>
#include <string>

#include "link/dcb.h"

namespace quelt {
namespace comm {

// An open port: a Win32 HANDLE or a POSIX file descriptor, widened.
using Handle = std::intptr_t;
inline constexpr Handle kInvalid = -1;

// Why a call failed, in words a user can act on ("permission denied",
// "device not found", "Input/output error", ...).
struct Reason {
  int code = 0;             // errno or GetLastError(); 0 when the line has no such number
  bool permission = false;  // access refused: on Linux, the dialout group
  bool gone = false;        // the device behind the handle went away (cable pulled)
  std::string text;
};

}  // namespace comm

// What a Write or Read did: the bytes it moved and, when it failed, why.
struct IoResult {
  std::uint32_t count = 0;
  bool ok = true;
  comm::Reason reason;  // set when !ok
};

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

  // The device that COM port `number` stands for ("\\.\COM7" on Windows; ""
  // on Linux, where a port has no number and discovery finds its path).
  virtual std::string DevicePathForPort(std::int32_t number) const = 0;
  // Opens the device for reading and writing, exclusively, never waiting for
  // a carrier. kInvalid (with the reason) when it cannot.
  virtual comm::Handle Open(const std::string& devicePath, comm::Reason* reason) = 0;
  // Asks for driver queues of these sizes; the result is not used.
  virtual void SetupQueues(comm::Handle h, std::uint32_t inQueue, std::uint32_t outQueue) = 0;
  // Applies the whole control block (speed, format, flow control, DTR, RTS).
  virtual bool SetState(comm::Handle h, const DcbRecord& dcb, comm::Reason* reason) = 0;
  // Hands all `count` bytes to the line, returning when it has taken them.
  // Not ok (with the reason) when it did not take them all.
  virtual IoResult Write(comm::Handle h, const void* data, std::uint32_t count) = 0;
  // Up to `count` bytes that wait; never waits itself. Ok with count 0 when
  // none wait; not ok (with the reason) when the read itself failed.
  virtual IoResult Read(comm::Handle h, void* data, std::uint32_t count) = 0;
  // Received bytes not yet read; 0 when the query itself fails (device
  // unplugged), so a wait then runs into its time-out.
  virtual std::uint32_t BytesWaiting(comm::Handle h) = 0;
  // True when the line is gone for good (cable pulled, bridge reset or
  // unplugged). Bytes still waiting keep it false, so they can be read first.
  virtual bool LineGone(comm::Handle h) = 0;
  // Releases the port; a POSIX tty gets back the settings it had at Open, so
  // a terminal opened by mistake is not left raw.
  virtual void Close(comm::Handle h) = 0;
  // Blocks until input may wait on `h` or `timeoutMs` passed; reads nothing.
  // A line that hung up sleeps the whole time rather than returning at once,
  // so a wait on a dead line neither hangs nor spins. With no port (0) it
  // sleeps.
  virtual void WaitReadable(comm::Handle h, int timeoutMs) = 0;
  // What a wait for input on `h` can sleep on (0: no port).
  virtual WaitHint Hint(comm::Handle h) = 0;
};

// The system's serial ports. One for the program; it holds no state a
// caller sees.
Line& DeviceLine();

}  // namespace quelt
