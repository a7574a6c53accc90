// The platform seam of the serial port: the handful of calls TSerial makes,
// one backend per operating system (comm_win32.cpp, comm_posix.cpp).
// TSerial holds all the logic; these functions only talk to the system.
#pragma once

#include <cstdint>
#include <string>

#include "link/dcb.h"

namespace quelt::comm {

// An open port: a Win32 HANDLE or a POSIX file descriptor, widened. 0 means
// none; kInvalid is what a failed open returns.
using Handle = std::intptr_t;
inline constexpr Handle kInvalid = -1;

// Why the last failing call of this thread failed, in words a user can act
// on ("permission denied", "device not found", ...); empty when unknown.
struct Reason {
  int code = 0;             // errno or GetLastError()
  bool permission = false;  // access refused: on Linux, the dialout group
  std::string text;
};

// The device that COM port `number` stands for: "\\.\COM7" on Windows;
// "" on Linux, where a port has no number (discovery finds its path).
std::string DevicePathForPort(std::int32_t number);

// CreateFileA(path, read|write, exclusive, OPEN_EXISTING, not overlapped).
Handle Open(const std::string& devicePath, Reason* reason);
// SetupComm: ask for driver queues of these sizes. The result is not used.
void SetupQueues(Handle h, std::uint32_t inQueue, std::uint32_t outQueue);
// SetCommState with the whole record.
bool SetState(Handle h, const DcbRecord& dcb, Reason* reason);
// WriteFile: returns when the driver has taken the bytes.
bool Write(Handle h, const void* data, std::uint32_t count);
// ReadFile of up to `count` waiting bytes; 0 on failure or when none wait.
std::uint32_t Read(Handle h, void* data, std::uint32_t count);
// ClearCommError's cbInQue: received bytes not yet read; 0 when the query
// itself fails (device unplugged), so a wait then runs into its time-out.
std::uint32_t BytesWaiting(Handle h);
// True when the line is gone for good (the cable was pulled, the bridge was
// reset or unplugged): a hung-up tty, or a COM handle whose device vanished.
// Bytes still waiting keep it false, so that they can be read first.
bool LineGone(Handle h);
// CloseHandle. On POSIX the line settings the port had at Open are put
// back first, so a terminal opened by mistake is not left raw.
void Close(Handle h);

// Blocks until input may be waiting on `h` or `timeoutMs` has passed. Lets
// callers wait without burning a core; it reads nothing. A line that hung up
// (device gone) sleeps the whole timeout rather than returning at once, so a
// wait on a dead line neither hangs nor spins. With no port (0) it sleeps.
void WaitReadable(Handle h, int timeoutMs);

// A descriptor the system's readiness wait can watch for input on `h` (the
// POSIX descriptor itself); 0 when the handle signals nothing, as a COM
// handle opened without overlapped mode.
Handle Pollable(Handle h);

}  // namespace quelt::comm
