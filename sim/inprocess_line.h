// The simulated analyser as a line inside the program: SerialPort talks to it
// like to a port, with no pseudo-terminal and no thread. A write that ends a
// command answers it at once and lays the reply's bytes out in time, as a
// line of the configured baud rate would deliver them; reads and waits see
// only the bytes whose time has come. Same commands, faults and transcript
// as the Analyser on a pseudo-terminal. For one thread, the tool's.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "link/line.h"
#include "sim/answer.h"
#include "sim/config.h"
#include "sim/delivery.h"

namespace quelt::sim {

class InProcessLine final : public Line {
 public:
  explicit InProcessLine(Config config = {});
  // The analyser of the programs' --demo: the default table, paced like a
  // real 9600 baud line so that the progress bar moves as on a device.
  static std::unique_ptr<InProcessLine> ForDemo();

  // What the tool opens (any path opens this line); also the name shown.
  const std::string& DevicePath() const { return devicePath_; }

  // As the Analyser's.
  const std::vector<std::string>& Transcript() const { return transcript_; }
  void ClearTranscript() { transcript_.clear(); }
  const std::string& PendingInput() const { return pending_; }
  const std::vector<std::string>& Rows() const { return table_.rows; }
  int RowsInUse() const { return table_.rowsInUse; }
  void SetConfig(const Config& config);
  void SetFaults(const Faults& faults) { config_.faults = faults; }
  // Puts raw bytes on the line, due now, after what is already on its way.
  void Inject(const std::string& bytes);
  bool HungUp() const { return hungUp_; }

  std::string DevicePathForPort(std::int32_t number) const override;
  comm::Handle Open(const std::string& devicePath, comm::Reason* reason) override;
  void SetupQueues(comm::Handle h, std::uint32_t inQueue, std::uint32_t outQueue) override;
  bool SetState(comm::Handle h, const DcbRecord& dcb, comm::Reason* reason) override;
  IoResult Write(comm::Handle h, const void* data, std::uint32_t count) override;
  IoResult Read(comm::Handle h, void* data, std::uint32_t count) override;
  std::uint32_t BytesWaiting(comm::Handle h) override;
  bool LineGone(comm::Handle h) override;
  void Close(comm::Handle h) override;
  void WaitReadable(comm::Handle h, int timeoutMs) override;
  WaitHint Hint(comm::Handle h) override;

 private:
  struct Byte {
    Clock::time_point due;
    char value;
  };
  bool Mine(comm::Handle h) const { return open_ && h == kHandle; }
  // Records a command and lays out its reply; false once the line hung up.
  bool Receive(const std::string& command);
  // Appends bytes starting at `start`, each at its time on the wire.
  void Schedule(const std::string& bytes, Clock::time_point start, int baud, int trickleMs = 0);

  static constexpr comm::Handle kHandle = 1;
  std::string devicePath_ = "simulated analyser";
  Config config_;
  TableState table_;
  std::vector<std::string> transcript_;
  std::string pending_;            // received after the last CR
  std::deque<Byte> out_;           // on the way to the tool, in order of time
  Clock::time_point busyUntil_{};  // the last reply's last byte
  bool open_ = false;
  bool hungUp_ = false;
};

}  // namespace quelt::sim
