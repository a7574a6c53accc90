// SerialPort: a thin synchronous wrapper around one serial port. It opens the
// port by number or path, applies the device control block of the analyser's
// line, drives DTR and RTS through it, and moves bytes one call at a time, all
// through its Line (the system's ports unless told otherwise). No framing,
// buffering or timing: that is AnalyserLink's business. Failures set
// lastCallFailed() (or give 0); no operation throws.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "link/dcb.h"
#include "link/line.h"

namespace quelt {

class SerialPort {
 public:
  // The analyser's line is fixed: 9600 baud, 8 data bits, no parity, one
  // stop bit, no flow control, line errors passed on as received.
  static constexpr std::uint32_t kBaudRate = 9600;
  // The driver queues asked for at Open, each way.
  static constexpr std::uint32_t kQueueSize = 2048;

  // Opened and configured; set only by ApplySettings.
  bool isOpen() const { return isOpen_; }
  // The last operation that reports a failure failed.
  bool lastCallFailed() const { return failed_; }
  // The line's handle: 0 while no port is held (also after a failed Open).
  comm::Handle handle() const { return handle_; }
  // The control block as last applied (DTR and RTS included).
  const DcbRecord& controlBlock() const { return dcb_; }
  // Why the last Open, ApplySettings, Write or Read failed (for the front
  // end to show).
  const comm::Reason& lastReason() const { return lastReason_; }

  // The COM port number Open uses when no device path is set.
  void SetPortNumber(std::int32_t number) { portNumber_ = number; }
  // A device given by the user ("/dev/ttyUSB0", "COM7") or found by
  // discovery; when set, Open uses it instead of the port number's device.
  void SetDevicePath(std::string path) { devicePath_ = std::move(path); }
  // The device path Open would use now.
  std::string PathToOpen() const;

  void Open();
  void ApplySettings();
  void SetDtr(bool on);
  void SetRts(bool on);
  // All `count` bytes to the line; a failure sets lastCallFailed and lastReason.
  void Write(const void* buffer, std::uint32_t count);
  void WriteByte(std::uint8_t b);
  // Up to `count` waiting bytes, never waiting; 0 when none wait. A read
  // that failed sets lastCallFailed and lastReason.
  std::uint32_t Read(void* buffer, std::uint32_t count);
  std::uint8_t ReadByte();
  std::uint32_t BytesWaiting();
  bool HasInput();
  // The line went away (cable pulled, bridge reset): sets the failure and
  // its reason. False while bytes still wait to be read.
  bool Gone();
  void Close();

  // What a wait for input on this port can sleep on; nothing while closed.
  WaitHint Hint();
  // Blocks until input may wait or `timeoutMs` passed; sleeps while closed.
  void WaitReadable(int timeoutMs);

  // The line the port is reached through; a port still open is closed first.
  void UseLine(Line& line);
  Line& GetLine() const { return *line_; }

 private:
  // DTR and RTS are bits of the control block, applied with the whole of it.
  void SetControlLine(std::uint32_t flag, bool on);

  bool isOpen_ = false;
  bool failed_ = false;
  comm::Handle handle_ = 0;
  std::int32_t portNumber_ = 1;
  std::string devicePath_;
  DcbRecord dcb_{};
  comm::Reason lastReason_;
  Line* line_ = &DeviceLine();
};

}  // namespace quelt
