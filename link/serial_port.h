// SerialPort: a thin synchronous wrapper around one serial port. It opens the
// port by number, builds and applies the device control block, drives DTR and
// RTS through it, and moves bytes one call at a time, all through its Line
// (the system's ports unless told otherwise). No framing, buffering
// or timing: that is AnalyserLink's business. Failures set `Error` (or give 0); no
// operation throws.
#pragma once

#include <cstdint>
#include <string>

#include "link/dcb.h"
#include "link/line.h"

namespace quelt {

class SerialPort {
 public:
  bool IsOpen = false;  // opened and configured; set only by ApplySettings
  bool Error = false;   // the last operation that reports one failed
  comm::Handle Handle = 0;
  std::int32_t Port = 1;
  std::uint32_t BaudRate = 9600;
  std::uint16_t DataBits = 8;
  std::uint16_t Parity = 0;      // 0 none
  std::uint16_t StopBits = 0;    // 0 one stop bit
  std::uint8_t FlowControl = 0;  // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 DTR/DSR
  std::uint32_t InQueueSize = 2048;
  std::uint32_t OutQueueSize = 2048;
  bool RawErrors = true;
  std::uint32_t CurrentInQueue = 0;
  DcbRecord Dcb{};

  // A device given by the user ("/dev/ttyUSB0", "COM7"); when set, Open uses
  // it instead of the device that `Port` stands for.
  std::string DevicePath;
  // Why the last Open, ApplySettings, Write or Read failed (for the front
  // end to show).
  comm::Reason LastReason;

  // The device path Open would use now.
  std::string PathToOpen() const;

  void Open();
  void ApplySettings();
  void SetDtr(bool on);
  void SetRts(bool on);
  // All `count` bytes to the line; a failure sets Error and LastReason.
  void Write(const void* buffer, std::uint32_t count);
  void WriteByte(std::uint8_t b);
  // Up to `count` waiting bytes, never waiting; 0 when none wait. A read
  // that failed sets Error and LastReason.
  std::uint32_t Read(void* buffer, std::uint32_t count);
  std::uint8_t ReadByte();
  std::uint32_t BytesWaiting();
  bool HasInput();
  // The line went away (cable pulled, bridge reset): sets Error and the
  // reason. False while bytes still wait to be read.
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
  Line* line_ = &DeviceLine();
};

}  // namespace quelt
