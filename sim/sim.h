// A simulated analyser on a pseudo-terminal. It answers the analyser's
// command set (identity, row count, rows, row writes, count write) from a
// thread of its own, paces its output like a real line, injects faults on
// request and keeps a transcript of every command it received.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quelt::sim {

struct Faults {
  // Silent (no reply at all) from the Nth command on, 1-based; 0 = never.
  int silentFrom = 0;
  // Silent on exactly these commands (1-based numbers in the transcript).
  std::vector<int> silentOn;
  // Silent on every command whose text starts with this prefix ("R004").
  std::string silentOnPrefix;
  // The reply to the Nth command lacks its closing CR (0 = never).
  int noCrOn = 0;
  // Every reply is followed by an LF after its CR.
  bool lfAfterCr = false;
  // The reply to the Nth command carries NUL bytes inside (0 = never).
  int nulOn = 0;
  // Hang up (close the line, as when the cable is pulled) on receiving the
  // Nth command, before replying (0 = never).
  int hangUpOn = 0;
};

struct Config {
  std::string identification = "QUELT 300";  // reply to R001
  std::string type = "20";                   // reply to R005
  std::string serialNumber = "08154711";     // reply to R004
  std::string version = "V 2.31";            // reply to R002
  // Row texts in the wire form (Windows-1252), row 1 first. Empty: the
  // built-in default table of twelve fuels.
  std::optional<std::vector<std::string>> rows;
  // Reply to R402; empty = the number of rows.
  std::optional<std::string> countReply;
  int baud = 0;        // 0: unpaced; else about 10/baud seconds a byte
  int latencyMs = 0;   // delay before each reply
  Faults faults;
};

// The built-in table of twelve plausible fuels, in the wire form.
std::vector<std::string> DefaultTable();
// Reads a table file: one row text a line (Windows-1252 or UTF-8 as given),
// blank lines and lines starting with '#' skipped.
std::vector<std::string> LoadTableFile(const std::string& path);

class Analyser {
 public:
  explicit Analyser(Config config = {});
  ~Analyser();  // stops the thread and closes the line
  Analyser(const Analyser&) = delete;
  Analyser& operator=(const Analyser&) = delete;

  // Path of the pseudo-terminal's slave side: what the tool opens.
  const std::string& DevicePath() const;

  // Every command received, byte for byte, without its CR, in order.
  std::vector<std::string> Transcript() const;
  void ClearTranscript();
  // Blocks until the transcript holds `count` commands or `timeoutMs` passed.
  bool WaitForCommands(std::size_t count, int timeoutMs) const;

  // The table as it now stands (rows written by W401 replace or extend it;
  // W402 sets the count in use).
  std::vector<std::string> Rows() const;
  int RowsInUse() const;  // last W402 count; -1 before any

  // Change behaviour while running.
  void SetConfig(const Config& config);
  void SetFaults(const Faults& faults);
  // Sends raw bytes on the line now (for tests of stray input).
  void Inject(const std::string& bytes);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quelt::sim
