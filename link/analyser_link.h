// AnalyserLink: the tool's one connection to the analyser. It finds and opens the
// port, sends a command closed by CR and collects the reply up to the next CR
// or until ten 100 ms ticks have passed. Waits go through a MessagePump, which
// both keeps the front end responsive and delivers the ticks: the link
// registers its OnTick with the pump it is given for as long as it lives.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "link/discovery.h"
#include "link/line_trace.h"
#include "link/pump.h"
#include "link/serial_port.h"

namespace quelt {

// Why the link failed, as parts a front end words in its own language:
// the English sentence of ConnectProblem() is built from the same parts.
struct LinkProblem {
  enum class Kind {
    None,
    NoAnalyser,       // discovery found no bridge
    CannotOpen,       // `permission`: access refused (the dialout group)
    CannotConfigure,  // the port opened but took no settings
    CannotWrite,      // `gone`: the device went away under the write
    CannotRead,       // `gone`: the same under the read
    WentAway,         // the line was found gone while waiting
  };
  Kind kind = Kind::None;
  std::string device;  // the path opened ("/dev/ttyUSB0", "\\.\COM7")
  std::string reason;  // the system's words ("device not found"); may be ""
  bool permission = false;
  bool gone = false;
};

class AnalyserLink {
 public:
  static constexpr int kReplyTicks = 10;
  static constexpr int kTickMs = 100;

  // Registers for the pump's ticks; the destructor takes that back.
  explicit AnalyserLink(MessagePump& pump);
  ~AnalyserLink();
  AnalyserLink(const AnalyserLink&) = delete;
  AnalyserLink& operator=(const AnalyserLink&) = delete;

  // The last reply, without its CR (Windows-1252 bytes); after a time-out
  // the bytes that came before it.
  const std::string& reply() const { return reply_; }
  // The last byte the latest exchange received (the CR after a reply).
  std::uint8_t lastByte() const { return lastByte_; }
  // Ticks the wait in progress (or the last one) had left.
  std::int32_t ticksLeft() const { return ticksLeft_; }
  // No reply came, the port could not be opened, or the line failed; every
  // later exchange fails too until ClearFailure or Connect.
  bool failed() const { return failed_; }
  // The port the link talks through.
  const SerialPort& port() const { return serial_; }
  // The COM number discovery found (Windows). Always 0 on Linux, where a
  // port has no number: PortText names the device found there.
  std::int32_t portNumber() const { return portNumber_; }

  // Bytes read from the line since creation (replies, CRs and drained
  // bytes): what the line carried towards the tool.
  std::uint64_t bytesReceived() const { return bytesReceived_; }
  // Bytes Drain discarded that were more than line ends and padding (CR,
  // LF, NUL): a reply nobody asked for.
  std::uint64_t TextBytesDrained() const { return textBytesDrained_; }

  // A device given by the user (--port); replaces discovery in Connect.
  // Empty: discovery finds the port.
  void SetPortOverride(std::string device) { portOverride_ = std::move(device); }
  const std::string& portOverride() const { return portOverride_; }
  // Finds the device to open; by default the system's FindAnalyserPort.
  // Tests set their own to count lookups or to fake a missing bridge.
  void SetDiscovery(std::function<FoundPort()> discover) { discover_ = std::move(discover); }

  void Reset();
  // One tick of the pump: the wait in progress has one tick less.
  void OnTick();
  void Connect();
  void Disconnect();
  // Reads and throws away whatever comes until the line has been quiet for
  // `quietMs`, at least QuietMs(); a line that never falls quiet ends it
  // after ten ticks.
  void Drain(int quietMs = 0);
  // How long a quiet line shows that no reply is on its way: a few character
  // times at the port's speed, twice the slowest response of this connection
  // so far, and a margin; at most a reply's time-out.
  int QuietMs() const;
  void Exchange(std::string_view command);

  // The front door for the operations. Ask: one exchange; the reply without
  // its CR, or nothing when no reply came (the link is then failed, and every
  // later Ask fails until ClearFailure).
  std::optional<std::string> Ask(std::string_view command);
  void ClearFailure() { failed_ = false; }
  // An exchange ended before its reply did (a time-out, or an operation cut
  // short): the rest of that reply may still arrive and would be taken for
  // the answer to the next command. A Drain that finds the line quiet
  // clears it.
  bool ReplyMayStillCome() const { return replyMayStillCome_; }
  // Takes the last reply for no answer: the caller found it to be no
  // analyser's (a loopback plug echoing the command).
  void RejectReply();

  // The line the port is reached through (default: the system's ports).
  // A line with a single device of its own wants SetPortOverride to it.
  void UseLine(Line& line) { serial_.UseLine(line); }
  // Records every event of the line from now on (null: none). The trace
  // must outlive the link or be taken back first.
  void SetTrace(LineTrace* trace) { trace_ = trace; }
  LineTrace* trace() const { return trace_; }

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
  // The same as parts; Kind::None when ConnectProblem() is "".
  const LinkProblem& Problem() const { return problem_; }

 private:
  // Ends the wait when the line is gone for good.
  bool LineWentAway();
  // A write or read failed: the link fails at once, and ConnectProblem
  // names the device and the line's reason ("Cannot write to " ...).
  void LineFailed(LinkProblem::Kind kind);
  // Notes `kind` with the device and the port's last reason, and words it in
  // English for ConnectProblem: "Cannot open /dev/ttyUSB0: device not found".
  // It goes into the trace too.
  void NoteProblem(LinkProblem::Kind kind);
  void NoteProblemText(LinkProblem::Kind kind);
  // The wait of Exchange and Drain: passes of {one input check, at most one
  // byte, one event step}, with a wait after a pass that brought nothing,
  // until the ticks run out, (`toCr`) a CR arrives or (`quietMs` > 0) the
  // line was quiet that long. Bytes before the CR go to the reply. True when
  // it ended in quiet.
  bool Collect(bool toCr, int quietMs = 0);
  // An exchange that got its reply: the time it took beyond the line time of
  // its command and reply bytes is the analyser's response time.
  void NoteResponse(std::chrono::steady_clock::time_point sent, std::uint64_t lineBytes);

  MessagePump& pump_;
  int tickHandler_ = 0;  // the registration with pump_
  SerialPort serial_;
  std::string reply_;
  std::uint8_t lastByte_ = 0;
  std::int32_t ticksLeft_ = 0;
  bool failed_ = false;
  std::int32_t portNumber_ = 0;
  std::uint64_t bytesReceived_ = 0;
  std::string portOverride_;
  std::function<FoundPort()> discover_;
  FoundPort found_;  // the latest discovery's answer
  bool aborted_ = false;
  bool replyMayStillCome_ = false;
  double slowestResponseMs_ = 0;  // since the port was opened
  std::uint64_t textBytesDrained_ = 0;
  std::string connectProblem_;
  LinkProblem problem_;
  LineTrace* trace_ = nullptr;
  std::string drained_;  // what the drain in progress removed, while tracing
};

}  // namespace quelt
