#include "link/serial_port.h"

#include <utility>

namespace quelt {

std::string SerialPort::PathToOpen() const {
  return devicePath_.empty() ? line_->DevicePathForPort(portNumber_) : devicePath_;
}

void SerialPort::Open() {
  failed_ = false;
  if (isOpen_) {
    failed_ = true;
    return;
  }
  // A handle from an earlier Open that was never configured would keep the
  // exclusive port locked and make this open fail: let it go first.
  if (handle_ != 0) {
    line_->Close(handle_);
    handle_ = 0;
  }
  lastReason_ = {};
  const comm::Handle h = line_->Open(PathToOpen(), &lastReason_);
  if (h == comm::kInvalid) {
    handle_ = 0;
    failed_ = true;
  } else {
    handle_ = h;
    line_->SetupQueues(handle_, kQueueSize, kQueueSize);
  }
}

void SerialPort::ApplySettings() {
  // 8N1 at 9600 baud without flow control; DTR and RTS start low (SetDtr,
  // SetRts raise them). The XON/XOFF characters and limits are the
  // conventional ones for the queue size, unused without flow control.
  dcb_ = DcbRecord{};
  dcb_.DCBlength = sizeof(DcbRecord);
  dcb_.BaudRate = kBaudRate;
  dcb_.Flags = dcb::fBinary;
  dcb_.XonLim = static_cast<std::uint16_t>(kQueueSize / 4);
  dcb_.XoffLim = static_cast<std::uint16_t>(kQueueSize - kQueueSize / 4);
  dcb_.ByteSize = 8;
  dcb_.Parity = 0;
  dcb_.StopBits = 0;
  dcb_.XonChar = 17;
  dcb_.XoffChar = 19;
  dcb_.ErrorChar = 63;
  dcb_.EofChar = 26;
  dcb_.EvtChar = 0;

  if (handle_ == 0) {
    // 0 is no handle on any platform; never hand it to the system (on POSIX
    // it would be standard input).
    lastReason_ = {0, false, false, "port not open"};
    failed_ = true;
    return;
  }
  lastReason_ = {};
  failed_ = !line_->SetState(handle_, dcb_, &lastReason_);
  if (!failed_) {
    isOpen_ = true;
  } else if (!isOpen_) {
    // Opened but not configurable: nobody would ever close this handle (Close
    // acts only while open), and it would lock the port until the program
    // ends. Release it so that the next attempt can open the port again.
    line_->Close(handle_);
    handle_ = 0;
  }
}

void SerialPort::SetDtr(bool on) { SetControlLine(dcb::DtrControlOn, on); }

void SerialPort::SetRts(bool on) { SetControlLine(dcb::RtsControlOn, on); }

void SerialPort::SetControlLine(std::uint32_t flag, bool on) {
  if (!isOpen_) return;
  if (on) {
    dcb_.Flags |= flag;
  } else {
    dcb_.Flags &= ~flag;
  }
  failed_ = !line_->SetState(handle_, dcb_, &lastReason_);
}

void SerialPort::Write(const void* buffer, std::uint32_t count) {
  if (!isOpen_) return;
  IoResult r = line_->Write(handle_, buffer, count);
  failed_ = !r.ok;
  if (failed_) lastReason_ = std::move(r.reason);
}

void SerialPort::WriteByte(std::uint8_t b) { Write(&b, 1); }

std::uint32_t SerialPort::Read(void* buffer, std::uint32_t count) {
  if (!isOpen_) return 0;
  IoResult r = line_->Read(handle_, buffer, count);
  failed_ = !r.ok;
  if (failed_) lastReason_ = std::move(r.reason);
  return r.count;
}

std::uint8_t SerialPort::ReadByte() {
  std::uint8_t b = 0;
  Read(&b, 1);
  return b;
}

std::uint32_t SerialPort::BytesWaiting() {
  if (!isOpen_) return 0;
  return line_->BytesWaiting(handle_);
}

bool SerialPort::HasInput() { return BytesWaiting() != 0; }

bool SerialPort::Gone() {
  if (!isOpen_ || !line_->LineGone(handle_)) return false;
  failed_ = true;
  lastReason_ = {0, false, true, "the analyser's port went away"};
  return true;
}

WaitHint SerialPort::Hint() { return line_->Hint(isOpen_ ? handle_ : 0); }

void SerialPort::WaitReadable(int timeoutMs) {
  line_->WaitReadable(isOpen_ ? handle_ : 0, timeoutMs);
}

void SerialPort::UseLine(Line& line) {
  Close();
  // Opened but never configured: still the old line's handle.
  if (handle_ != 0) line_->Close(handle_);
  handle_ = 0;
  line_ = &line;
}

void SerialPort::Close() {
  if (!isOpen_) return;
  line_->Close(handle_);
  // A POSIX descriptor number is reused by the next open of anything, so a
  // closed handle must not stay behind.
  handle_ = 0;
  isOpen_ = false;
}

}  // namespace quelt
