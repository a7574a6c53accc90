#include "link/exchange.h"

#include <string>

#include "link/commands.h"

namespace quelt {

AnalyserLink::AnalyserLink(MessagePump& pump) : pump_(pump) { Reset(); }

void AnalyserLink::Reset() {
  Reply.clear();
  PortNumber = 0;
  found_ = {};
  TicksLeft = 0;
  BaudRate = 9600;
  Line& line = Serial.GetLine();
  Serial = SerialPort{};
  Serial.UseLine(line);
  Failed = false;
  if (!Discover) {
    Discover = [] { return FindAnalyserPort(); };
  }
}

void AnalyserLink::OnTick() {
  if (TicksLeft > 0) --TicksLeft;
}

void AnalyserLink::Connect() {
  Failed = false;
  if (Serial.IsOpen) return;
  connectProblem_.clear();

  if (PortOverride.empty()) {
    found_ = Discover();
    PortNumber = found_.comNumber;
    if (!found_) {
      Failed = true;
      connectProblem_ = kNoBridgeText;
      return;
    }
    Serial.DevicePath = found_.device;
    Serial.Port = PortNumber;
  } else {
    Serial.DevicePath = PortOverride;
  }
  Serial.BaudRate = static_cast<std::uint32_t>(BaudRate);
  Serial.RawErrors = true;
  Serial.Open();
  if (Serial.Error) {
    Failed = true;
    const auto& why = Serial.LastReason;
    connectProblem_ =
        "Cannot open " + Serial.PathToOpen() + (why.text.empty() ? "" : ": " + why.text);
    if (why.permission) {
      connectProblem_ += " (access refused: add your user to the dialout group and log in again)";
    }
    return;
  }
  Serial.ApplySettings();
  if (Serial.Error) {
    Failed = true;
    connectProblem_ = "Cannot configure " + Serial.PathToOpen() +
                      (Serial.LastReason.text.empty() ? "" : ": " + Serial.LastReason.text);
    return;
  }
  Serial.SetDtr(true);
  Serial.SetRts(true);
}

void AnalyserLink::Disconnect() { Serial.Close(); }

void AnalyserLink::Drain() {
  if (Failed) return;
  Connect();
  const std::uint64_t before = BytesReceived;
  TicksLeft = 1;
  Collect(false);
  // A drain lasts until the next tick, which may be due at once: only one
  // that found nothing shows the rest of an old reply is not still coming.
  if (BytesReceived == before) replyMayStillCome_ = false;
}

void AnalyserLink::Exchange(std::string_view command) {
  if (Failed || aborted_) {
    Reply.clear();
    Failed = true;
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
  LastByte = 0;
  Reply.clear();
  Serial.Write(line.data(), static_cast<std::uint32_t>(line.size()));
  // A command that did not go out gets no reply: waiting for one would only
  // hide the cause behind a time-out.
  if (Serial.IsOpen && Serial.Error) {
    LineFailed("Cannot write to ");
    return;
  }
  TicksLeft = kReplyTicks;
  Collect(true);
  if (TicksLeft == 0) {
    Failed = true;
    replyMayStillCome_ = true;
  }
}

void AnalyserLink::Collect(bool toCr) {
  for (;;) {
    bool got = false;
    std::uint8_t b = 0;
    // A read that fails although input was counted gives no byte (it is not
    // taken for a NUL) and ends the wait: nothing more will come through.
    if (Serial.HasInput()) {
      got = Serial.Read(&b, 1) == 1;
      if (!got && Serial.Error) {
        LineFailed("Cannot read from ");
        break;
      }
    }
    if (got) {
      ++BytesReceived;
      if (toCr) {
        LastByte = b;
        if (b == static_cast<std::uint8_t>(cmd::kCR)) break;
        Reply.push_back(static_cast<char>(b));
      } else if (b != static_cast<std::uint8_t>(cmd::kCR) && b != 10 && b != 0) {
        ++textBytesDrained_;
      }
    }
    pump_.ProcessPendingEvents();
    if (aborted_) TicksLeft = 0;
    if (TicksLeft == 0) break;
    if (!got) {
      // A pulled cable ends the wait now: nothing can arrive any more.
      if (LineWentAway()) break;
      // Nothing arrived on this pass: sleep until input, an event or the next
      // tick instead of polling flat out.
      pump_.WaitForActivity(Serial);
      if (aborted_) TicksLeft = 0;
      if (TicksLeft == 0) break;
    }
  }
}

std::optional<std::string> AnalyserLink::Ask(std::string_view command) {
  Exchange(command);
  if (Failed) return std::nullopt;
  return Reply;
}

void AnalyserLink::RejectReply() {
  TicksLeft = 0;
  Failed = true;
}

std::string AnalyserLink::PortText() const {
  if (!PortOverride.empty()) return PortOverride;
  return found_.name;
}

void AnalyserLink::LineFailed(const char* what) {
  TicksLeft = 0;
  Failed = true;
  const comm::Reason& why = Serial.LastReason;
  connectProblem_ = what + Serial.PathToOpen() + (why.text.empty() ? "" : ": " + why.text);
  if (why.gone) {
    connectProblem_ +=
        " (the port went away: the cable was pulled, or the analyser or its USB bridge was "
        "switched off)";
  }
}

bool AnalyserLink::LineWentAway() {
  if (!Serial.Gone()) return false;
  TicksLeft = 0;
  Failed = true;
  connectProblem_ = "The analyser's port went away (" + Serial.PathToOpen() +
                    "): the cable was pulled, or the analyser or its USB bridge was switched off.";
  return true;
}

void AnalyserLink::Abort() {
  aborted_ = true;
  TicksLeft = 0;
}

}  // namespace quelt
