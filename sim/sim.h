// A simulated analyser on a pseudo-terminal. It answers the analyser's
// command set (identity, row count, rows, row writes, count write) from a
// thread of its own, paces its output like a real line, injects faults on
// request and keeps a transcript of every command it received.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/config.h"

namespace quelt::sim {

class Analyser {
 public:
  // Opens the pseudo-terminal and starts answering; throws std::system_error
  // when no pseudo-terminal can be had.
  explicit Analyser(Config config = {});
  ~Analyser();  // stops the thread and closes the line
  Analyser(const Analyser&) = delete;
  Analyser& operator=(const Analyser&) = delete;

  // Path of the pseudo-terminal's slave side: what the tool opens. The tool
  // may open and close it as often as it likes; the simulator keeps a
  // descriptor of its own on it so the line never hangs up in between.
  const std::string& DevicePath() const;

  // Every command received, byte for byte, without its CR, in order.
  std::vector<std::string> Transcript() const;
  void ClearTranscript();
  // Blocks until the transcript holds `count` commands or `timeoutMs` passed.
  bool WaitForCommands(std::size_t count, int timeoutMs) const;
  // The bytes received after the last CR: a command still coming in, or the
  // fragment of one whose sender died before its CR. The next CR, whoever
  // sends it, turns this into a command.
  std::string PendingInput() const;

  // The table as it now stands (rows written by W401 replace or extend it;
  // W402 sets the count in use).
  std::vector<std::string> Rows() const;
  int RowsInUse() const;  // last W402 count; -1 before any

  // Change behaviour while running. SetConfig replaces identity, count
  // reply, pacing and faults, and the table only when config.rows is given
  // (the new table has no count in use until the next W402).
  void SetConfig(const Config& config);
  void SetFaults(const Faults& faults);
  // Sends raw bytes on the line now, unpaced (for tests of stray input).
  void Inject(const std::string& bytes);

  // Called on the simulator's thread with each command just before it is
  // recorded (quelt-sim writes its transcript file with it). Keep it short:
  // the reply waits for it.
  void OnCommand(std::function<void(const std::string&)> observer);

  // True once the line has been hung up by the hang-up fault.
  bool HungUp() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quelt::sim
