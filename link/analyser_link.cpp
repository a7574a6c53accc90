#include "link/analyser_link.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "link/commands.h"

namespace quelt {
namespace {

constexpr std::uint8_t kLf = 10;
constexpr std::uint8_t kNul = 0;

using Clock = std::chrono::steady_clock;

// A reply's bytes follow each other a character time apart: this many
// character times without one end it.
constexpr double kQuietChars = 4;
// The scheduler's delays and a USB bridge's packets, on both sides.
constexpr double kQuietMarginMs = 10;

// Milliseconds a character (start bit, 8 data bits, stop bit) takes.
double CharMs(std::uint32_t baud) {
  return 10'000.0 / static_cast<double>(baud > 0 ? baud : SerialPort::kBaudRate);
}

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
  problem_ = {};
  slowestResponseMs_ = 0;

  if (portOverride_.empty()) {
    found_ = discover_();
    portNumber_ = found_.comNumber;
    if (!found_) {
      failed_ = true;
      NoteProblem(LinkProblem::Kind::NoAnalyser);
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
    NoteProblem(LinkProblem::Kind::CannotOpen);
    return;
  }
  serial_.ApplySettings();
  if (serial_.lastCallFailed()) {
    failed_ = true;
    NoteProblem(LinkProblem::Kind::CannotConfigure);
    return;
  }
  serial_.SetDtr(true);
  serial_.SetRts(true);
  if (trace_)
    trace_->Opened(PortText().empty() ? serial_.PathToOpen() : PortText(), serial_.controlBlock());
}

void AnalyserLink::Disconnect() {
  if (trace_ && serial_.isOpen()) trace_->Closed();
  serial_.Close();
}

void AnalyserLink::Drain(int quietMs) {
  if (failed_) return;
  Connect();
  ticksLeft_ = kReplyTicks;
  drained_.clear();
  const int quiet = std::max(quietMs, QuietMs());
  // Only a drain that saw the line quiet shows that the rest of an old reply
  // is not still coming.
  const bool wasQuiet = Collect(false, quiet);
  if (wasQuiet) replyMayStillCome_ = false;
  if (trace_) trace_->Drained(quiet, drained_, wasQuiet);
}

int AnalyserLink::QuietMs() const {
  const double ms = kQuietChars * CharMs(serial_.controlBlock().BaudRate) + 2 * slowestResponseMs_ +
                    kQuietMarginMs;
  return static_cast<int>(std::ceil(std::min(ms, double(kReplyTicks * kTickMs))));
}

void AnalyserLink::NoteResponse(Clock::time_point sent, std::uint64_t lineBytes) {
  const double lineMs = static_cast<double>(lineBytes) * CharMs(serial_.controlBlock().BaudRate);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count() - lineMs;
  slowestResponseMs_ = std::max(slowestResponseMs_, ms);
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
  const auto sent = Clock::now();
  const std::uint64_t received = bytesReceived_;
  serial_.Write(line.data(), static_cast<std::uint32_t>(line.size()));
  if (trace_) trace_->Sent(line);
  // A command that did not go out gets no reply: waiting for one would only
  // hide the cause behind a time-out.
  if (serial_.isOpen() && serial_.lastCallFailed()) {
    LineFailed(LinkProblem::Kind::CannotWrite);
    return;
  }
  ticksLeft_ = kReplyTicks;
  Collect(true);
  if (ticksLeft_ == 0) {
    // A line that failed said so already; otherwise the ticks ran out.
    if (trace_ && !failed_) trace_->Timeout(command, reply_, aborted_);
    failed_ = true;
    replyMayStillCome_ = true;
  } else {
    if (trace_) trace_->Reply(command, reply_);
    NoteResponse(sent, line.size() + (bytesReceived_ - received));
  }
}

bool AnalyserLink::Collect(bool toCr, int quietMs) {
  auto quietFrom = Clock::now();
  std::uint64_t seen = bytesReceived_;
  bool gotBefore = false;
  for (;;) {
    bool got = false;
    std::uint8_t b = 0;
    // A read that fails although input was counted gives no byte (it is not
    // taken for a NUL) and ends the wait: nothing more will come through.
    if (serial_.HasInput()) {
      got = serial_.Read(&b, 1) == 1;
      if (!got && serial_.lastCallFailed()) {
        LineFailed(LinkProblem::Kind::CannotRead);
        break;
      }
    }
    if (got) {
      ++bytesReceived_;
      if (trace_) {
        trace_->Received(b);
        if (!toCr) drained_.push_back(static_cast<char>(b));
      }
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
      // A pulled cable ends the wait: nothing can arrive any more. A line
      // that brought a byte on the pass before is not asked (a system call a
      // byte); a wait on a hung-up line returns by the next tick, and the
      // empty pass after it asks.
      if (!gotBefore && LineWentAway()) break;
      int atMostMs = -1;
      if (quietMs > 0) {
        const auto now = Clock::now();
        if (bytesReceived_ != seen) {
          seen = bytesReceived_;
          quietFrom = now;
        }
        const auto left = quietFrom + std::chrono::milliseconds(quietMs) - now;
        if (left <= Clock::duration::zero()) return true;
        atMostMs = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
      }
      // Nothing arrived on this pass: sleep until input, an event, the next
      // tick or the end of the quiet asked for, instead of polling flat out.
      if (trace_) trace_->EndOfInput();
      pump_.WaitForActivity(serial_, atMostMs);
      if (aborted_) ticksLeft_ = 0;
      if (ticksLeft_ == 0) break;
    }
    gotBefore = got;
  }
  return false;
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

void AnalyserLink::LineFailed(LinkProblem::Kind kind) {
  ticksLeft_ = 0;
  failed_ = true;
  NoteProblem(kind);
}

void AnalyserLink::NoteProblem(LinkProblem::Kind kind) {
  NoteProblemText(kind);
  if (!trace_) return;
  if (kind == LinkProblem::Kind::NoAnalyser || kind == LinkProblem::Kind::CannotOpen ||
      kind == LinkProblem::Kind::CannotConfigure) {
    trace_->OpenFailed(serial_.PathToOpen(), connectProblem_);
  } else {
    trace_->Failed(connectProblem_);
  }
}

void AnalyserLink::NoteProblemText(LinkProblem::Kind kind) {
  using K = LinkProblem::Kind;
  const comm::Reason& why = serial_.lastReason();
  problem_ = {kind, serial_.PathToOpen(), why.text, why.permission, why.gone};
  if (kind == K::NoAnalyser) {
    problem_.device.clear();
    problem_.reason.clear();
    problem_.permission = problem_.gone = false;
    connectProblem_ = kNoBridgeText;
    return;
  }
  if (kind == K::WentAway) {
    problem_.reason.clear();
    connectProblem_ =
        "The analyser's port went away (" + problem_.device +
        "): the cable was pulled, or the analyser or its USB bridge was switched off.";
    return;
  }
  const char* what = kind == K::CannotOpen        ? "Cannot open "
                     : kind == K::CannotConfigure ? "Cannot configure "
                     : kind == K::CannotWrite     ? "Cannot write to "
                                                  : "Cannot read from ";
  connectProblem_ = what + problem_.device + (why.text.empty() ? "" : ": " + why.text);
  if (kind == K::CannotOpen && why.permission) {
    connectProblem_ += " (access refused: add your user to the dialout group and log in again)";
  }
  if ((kind == K::CannotWrite || kind == K::CannotRead) && why.gone) {
    connectProblem_ +=
        " (the port went away: the cable was pulled, or the analyser or its USB bridge was "
        "switched off)";
  }
}

bool AnalyserLink::LineWentAway() {
  if (!serial_.Gone()) return false;
  ticksLeft_ = 0;
  failed_ = true;
  NoteProblem(LinkProblem::Kind::WentAway);
  return true;
}

void AnalyserLink::Abort() {
  aborted_ = true;
  ticksLeft_ = 0;
}

}  // namespace quelt
