#include "link/serial_port.h"

#include <utility>

namespace quelt {

std::string SerialPort::PathToOpen() const {
  return DevicePath.empty() ? line_->DevicePathForPort(Port) : DevicePath;
}

void SerialPort::Open() {
  Error = false;
  if (IsOpen) {
    Error = true;
    return;
  }
  // A handle from an earlier Open that was never configured would keep the
  // exclusive port locked and make this open fail: let it go first.
  if (Handle != 0) {
    line_->Close(Handle);
    Handle = 0;
  }
  LastReason = {};
  const comm::Handle h = line_->Open(PathToOpen(), &LastReason);
  if (h == comm::kInvalid) {
    Handle = 0;
    Error = true;
  } else {
    Handle = h;
    line_->SetupQueues(Handle, InQueueSize, OutQueueSize);
  }
  CurrentInQueue = InQueueSize;
}

void SerialPort::ApplySettings() {
  Dcb.DCBlength = sizeof(DcbRecord);
  Dcb.BaudRate = BaudRate;
  Dcb.ByteSize = static_cast<std::uint8_t>(DataBits);
  Dcb.Parity = static_cast<std::uint8_t>(Parity);
  Dcb.StopBits = static_cast<std::uint8_t>(StopBits);
  Dcb.XonChar = 17;
  Dcb.XoffChar = 19;
  const auto inQueue = static_cast<std::uint16_t>(CurrentInQueue);
  const auto quarter = static_cast<std::uint16_t>(CurrentInQueue >> 2);
  Dcb.XonLim = quarter;
  Dcb.XoffLim = static_cast<std::uint16_t>(inQueue - quarter);
  Dcb.ErrorChar = 63;
  Dcb.EofChar = 26;
  Dcb.EvtChar = 0;

  std::uint32_t flags = dcb::fBinary;
  if (Parity > 0) flags |= dcb::fParity;
  switch (FlowControl) {
    case 1:
      flags |= dcb::fOutX | dcb::fInX;
      break;
    case 2:
      flags |= dcb::fOutxCtsFlow | dcb::RtsControlHandshake;
      break;
    case 3:
      flags |= dcb::fOutxDsrFlow | dcb::DtrControlHandshake | dcb::fDsrSensitivity;
      break;
    default:
      break;
  }
  if (!RawErrors) flags |= dcb::fErrorChar;
  Dcb.Flags = flags;

  if (Handle == 0) {
    // 0 is no handle on any platform; never hand it to the system (on POSIX
    // it would be standard input).
    LastReason = {0, false, false, "port not open"};
    Error = true;
    return;
  }
  LastReason = {};
  Error = !line_->SetState(Handle, Dcb, &LastReason);
  if (!Error) {
    IsOpen = true;
  } else if (!IsOpen) {
    // Opened but not configurable: nobody would ever close this handle (Close
    // acts only while IsOpen), and it would lock the port until the program
    // ends. Release it so that the next attempt can open the port again.
    line_->Close(Handle);
    Handle = 0;
  }
}

void SerialPort::SetDtr(bool on) { SetControlLine(dcb::DtrControlOn, on); }

void SerialPort::SetRts(bool on) { SetControlLine(dcb::RtsControlOn, on); }

void SerialPort::SetControlLine(std::uint32_t flag, bool on) {
  if (!IsOpen) return;
  if (on) {
    Dcb.Flags |= flag;
  } else {
    Dcb.Flags &= ~flag;
  }
  Error = !line_->SetState(Handle, Dcb, &LastReason);
}

void SerialPort::Write(const void* buffer, std::uint32_t count) {
  if (!IsOpen) return;
  IoResult r = line_->Write(Handle, buffer, count);
  Error = !r.ok;
  if (Error) LastReason = std::move(r.reason);
}

void SerialPort::WriteByte(std::uint8_t b) { Write(&b, 1); }

std::uint32_t SerialPort::Read(void* buffer, std::uint32_t count) {
  if (!IsOpen) return 0;
  IoResult r = line_->Read(Handle, buffer, count);
  Error = !r.ok;
  if (Error) LastReason = std::move(r.reason);
  return r.count;
}

std::uint8_t SerialPort::ReadByte() {
  std::uint8_t b = 0;
  Read(&b, 1);
  return b;
}

std::uint32_t SerialPort::BytesWaiting() {
  if (!IsOpen) return 0;
  return line_->BytesWaiting(Handle);
}

bool SerialPort::HasInput() { return BytesWaiting() != 0; }

bool SerialPort::Gone() {
  if (!IsOpen || !line_->LineGone(Handle)) return false;
  Error = true;
  LastReason = {0, false, true, "the analyser's port went away"};
  return true;
}

WaitHint SerialPort::Hint() { return line_->Hint(IsOpen ? Handle : 0); }

void SerialPort::WaitReadable(int timeoutMs) {
  line_->WaitReadable(IsOpen ? Handle : 0, timeoutMs);
}

void SerialPort::UseLine(Line& line) {
  Close();
  // Opened but never configured: still the old line's handle.
  if (Handle != 0) line_->Close(Handle);
  Handle = 0;
  line_ = &line;
}

void SerialPort::Close() {
  if (!IsOpen) return;
  line_->Close(Handle);
  // A POSIX descriptor number is reused by the next open of anything, so a
  // closed handle must not stay behind.
  Handle = 0;
  IsOpen = false;
}

}  // namespace quelt
