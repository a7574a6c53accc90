// AnalyserLink: the tool's one connection to the analyser. It finds and opens the
// port, sends a command closed by CR and collects the reply up to the next CR
// or until ten 100 ms ticks have passed. Waits go through a MessagePump, which
// both keeps the front end responsive and delivers the ticks (OnTick).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "link/discovery.h"
#include "link/pump.h"
#include "link/serial_port.h"

namespace quelt {

class AnalyserLink {
 public:
  static constexpr int kReplyTicks = 10;
  static constexpr int kTickMs = 100;

  explicit AnalyserLink(MessagePump& pump);
  AnalyserLink(const AnalyserLink&) = delete;
  AnalyserLink& operator=(const AnalyserLink&) = delete;

  std::uint8_t LastByte = 0;
  std::string Reply;  // last reply, without its CR (Windows-1252 bytes)
  SerialPort Serial;
  // The COM number discovery found (Windows). Always 0 on Linux, where a
  // port has no number: PortText names the device found there.
  std::int32_t PortNumber = 0;
  std::int32_t TicksLeft = 0;
  std::int32_t BaudRate = 9600;
  bool Failed = false;

  // Bytes read from the line since creation (replies, CRs and drained
  // bytes): what the line carried towards the tool.
  std::uint64_t BytesReceived = 0;
  // Bytes Drain discarded that were more than line ends and padding (CR,
  // LF, NUL): a reply nobody asked for.
  std::uint64_t TextBytesDrained() const { return textBytesDrained_; }

  // A device given by the user (--port); replaces discovery in Connect.
  std::string PortOverride;
  // Finds the device to open; by default the system's FindAnalyserPort.
  // Tests set their own to count lookups or to fake a missing bridge.
  std::function<FoundPort()> Discover;

  void Reset();
  void OnTick();
  void Connect();
  void Disconnect();
  void Drain();
  void Exchange(std::string_view command);

  // The front door for the operations. Ask: one exchange; the reply without
  // its CR, or nothing when no reply came (the link is then failed, and every
  // later Ask fails until ClearFailure).
  std::optional<std::string> Ask(std::string_view command);
  void ClearFailure() { Failed = false; }
  // An exchange ended before its reply did (a time-out, or an operation cut
  // short): the rest of that reply may still arrive and would be taken for
  // the answer to the next command. A Drain that finds the line quiet
  // clears it.
  bool ReplyMayStillCome() const { return replyMayStillCome_; }
  // Takes the last reply for no answer: the caller found it to be no
  // analyser's (a loopback plug echoing the command).
  void RejectReply();

  // The line the port is reached through (default: the system's ports).
  // A line with a single device of its own wants PortOverride set to it.
  void UseLine(Line& line) { Serial.UseLine(line); }
  // The port as a user names it: the --port device as given, or the one
  // discovery found ("COM7", "/dev/ttyUSB6"); "" before discovery found one.
  std::string PortText() const;

  // Ends the wait in progress at once as a time-out (the window is closing,
  // or the user gave up). The current operation then runs its closing steps.
  void Abort();
  bool Aborted() const { return aborted_; }
  void ClearAbort() { aborted_ = false; }

  // Why the link failed, for the front end: the latest Connect's problem
  // (naming the device and, for refused access, the group that grants it), a
  // write or read that failed (with the system's reason), or a line that
  // went away; "" when none of these happened.
  const std::string& ConnectProblem() const { return connectProblem_; }

 private:
  // Ends the wait when the line is gone for good.
  bool LineWentAway();
  // A write or read failed: the link fails at once, and ConnectProblem
  // names the device and the line's reason ("Cannot write to " ...).
  void LineFailed(const char* what);
  // The wait of Exchange and Drain: passes of {one input check, at most one
  // byte, one event step}, with a wait after a pass that brought nothing,
  // until TicksLeft runs out or (`toCr`) a CR arrives. Bytes before the CR
  // go to Reply.
  void Collect(bool toCr);

  MessagePump& pump_;
  FoundPort found_;  // the latest discovery's answer
  bool aborted_ = false;
  bool replyMayStillCome_ = false;
  std::uint64_t textBytesDrained_ = 0;
  std::string connectProblem_;
};

}  // namespace quelt
