#include "link/exchange.h"

#include <string>

#include "link/commands.h"

namespace quelt {
namespace {
constexpr std::uint8_t kLf = 10;
constexpr std::uint8_t kNul = 0;
}  // namespace

AnalyserLink::AnalyserLink(MessagePump& pump)
    : pump_(pump), tickHandler_(pump.AddTickHandler([this] { OnTick(); })) {
  Reset();
}

AnalyserLink::~AnalyserLink() { pump_.RemoveTickHandler(tickHandler_); }

void AnalyserLink::Reset() {
  reply_.clear();
  portNumber_ = 0;
  found_ = {};
  ticksLeft_ = 0;
  Line& line = serial_.GetLine();
  serial_ = SerialPort{};
  serial_.UseLine(line);
  failed_ = false;
  if (!discover_) {
    discover_ = [] { return FindAnalyserPort(); };
  }
}

void AnalyserLink::OnTick() {
  if (ticksLeft_ > 0) --ticksLeft_;
}

void AnalyserLink::Connect() {
  failed_ = false;
  if (serial_.isOpen()) return;
  connectProblem_.clear();

  if (portOverride_.empty()) {
    found_ = discover_();
    portNumber_ = found_.comNumber;
    if (!found_) {
      failed_ = true;
      connectProblem_ = kNoBridgeText;
      return;
    }
    serial_.SetDevicePath(found_.device);
    serial_.SetPortNumber(portNumber_);
  } else {
    serial_.SetDevicePath(portOverride_);
  }
  serial_.Open();
  if (serial_.lastCallFailed()) {
    failed_ = true;
    connectProblem_ = PortProblem("Cannot open ");
    if (serial_.lastReason().permission) {
      connectProblem_ += " (access refused: add your user to the dialout group and log in again)";
    }
    return;
  }
  serial_.ApplySettings();
  if (serial_.lastCallFailed()) {
    failed_ = true;
    connectProblem_ = PortProblem("Cannot configure ");
    return;
  }
  serial_.SetDtr(true);
  serial_.SetRts(true);
}

void AnalyserLink::Disconnect() { serial_.Close(); }

void AnalyserLink::Drain() {
  if (failed_) return;
  Connect();
  const std::uint64_t before = bytesReceived_;
  ticksLeft_ = 1;
  Collect(false);
  // A drain lasts until the next tick, which may be due at once: only one
  // that found nothing shows the rest of an old reply is not still coming.
  if (bytesReceived_ == before) replyMayStillCome_ = false;
}

void AnalyserLink::Exchange(std::string_view command) {
  if (failed_ || aborted_) {
    reply_.clear();
    failed_ = true;
    return;
  }
  Connect();
  // The command and its CR in one write: a program killed between two
  // byte-wise writes would leave a fragment on the line that the next
  // session's first CR completes into a command nobody meant.
  std::string line;
  line.reserve(command.size() + 1);
  line.append(command);
  line.push_back(cmd::kCR);
  lastByte_ = 0;
  reply_.clear();
  serial_.Write(line.data(), static_cast<std::uint32_t>(line.size()));
  // A command that did not go out gets no reply: waiting for one would only
  // hide the cause behind a time-out.
  if (serial_.isOpen() && serial_.lastCallFailed()) {
    LineFailed("Cannot write to ");
    return;
  }
  ticksLeft_ = kReplyTicks;
  Collect(true);
  if (ticksLeft_ == 0) {
    failed_ = true;
    replyMayStillCome_ = true;
  }
}

void AnalyserLink::Collect(bool toCr) {
  for (;;) {
    bool got = false;
    std::uint8_t b = 0;
    // A read that fails although input was counted gives no byte (it is not
    // taken for a NUL) and ends the wait: nothing more will come through.
    if (serial_.HasInput()) {
      got = serial_.Read(&b, 1) == 1;
      if (!got && serial_.lastCallFailed()) {
        LineFailed("Cannot read from ");
        break;
      }
    }
    if (got) {
      ++bytesReceived_;
      if (toCr) {
        lastByte_ = b;
        if (b == static_cast<std::uint8_t>(cmd::kCR)) break;
        // An analyser that ends its replies with CR LF, or pads them with
        // NUL, leaves those bytes in front of the next reply: framing, not
        // data, so they never reach a row, a backup or a folder name.
        const bool framing = reply_.empty() && (b == kLf || b == kNul);
        if (!framing) reply_.push_back(static_cast<char>(b));
      } else if (b != static_cast<std::uint8_t>(cmd::kCR) && b != kLf && b != kNul) {
        ++textBytesDrained_;
      }
    }
    pump_.ProcessPendingEvents();
    if (aborted_) ticksLeft_ = 0;
    if (ticksLeft_ == 0) break;
    if (!got) {
      // A pulled cable ends the wait now: nothing can arrive any more.
      if (LineWentAway()) break;
      // Nothing arrived on this pass: sleep until input, an event or the next
      // tick instead of polling flat out.
      pump_.WaitForActivity(serial_);
      if (aborted_) ticksLeft_ = 0;
      if (ticksLeft_ == 0) break;
    }
  }
}

std::optional<std::string> AnalyserLink::Ask(std::string_view command) {
  Exchange(command);
  if (failed_) return std::nullopt;
  return reply_;
}

void AnalyserLink::RejectReply() {
  ticksLeft_ = 0;
  failed_ = true;
}

std::string AnalyserLink::PortText() const {
  if (!portOverride_.empty()) return portOverride_;
  return found_.name;
}

void AnalyserLink::LineFailed(const char* what) {
  ticksLeft_ = 0;
  failed_ = true;
  connectProblem_ = PortProblem(what);
  if (serial_.lastReason().gone) {
    connectProblem_ +=
        " (the port went away: the cable was pulled, or the analyser or its USB bridge was "
        "switched off)";
  }
}

std::string AnalyserLink::PortProblem(const char* what) const {
  const comm::Reason& why = serial_.lastReason();
  return what + serial_.PathToOpen() + (why.text.empty() ? "" : ": " + why.text);
}

bool AnalyserLink::LineWentAway() {
  if (!serial_.Gone()) return false;
  ticksLeft_ = 0;
  failed_ = true;
  connectProblem_ = "The analyser's port went away (" + serial_.PathToOpen() +
                    "): the cable was pulled, or the analyser or its USB bridge was switched off.";
  return true;
}

void AnalyserLink::Abort() {
  aborted_ = true;
  ticksLeft_ = 0;
}

}  // namespace quelt
