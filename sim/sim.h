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

namespace quelt::sim {

// Commands are numbered by their place in the transcript, 1-based; the
// numbering starts again after ClearTranscript.
struct Faults {
  // Silent (no reply at all) from the Nth command on; 0 = never.
  int silentFrom = 0;
  // Silent on exactly these commands.
  std::vector<int> silentOn;
  // Silent on every command whose text starts with this prefix ("R004").
  std::string silentOnPrefix;
  // The reply to the Nth command lacks its closing CR (0 = never).
  int noCrOn = 0;
  // Every reply is followed by an LF after its CR.
  bool lfAfterCr = false;
  // The reply to the Nth command carries NUL bytes inside: one before its
  // middle byte and one before its CR ("AB\0CD\0" + CR for "ABCD"); 0 = never.
  int nulOn = 0;
  // Hang up (close the line, as when the cable is pulled) on receiving the
  // Nth command, before replying (0 = never). The command is still recorded;
  // the tool's side then sees POLLHUP, EIO on writes, and DevicePath is gone.
  // The line stays down for the Analyser's remaining life.
  int hangUpOn = 0;
  // W402 is answered "OK" but not carried out: the count in use stays.
  bool ignoreW402 = false;
  // The reply to the Nth command goes out twice, CR and all (0 = never).
  int duplicateReplyOn = 0;
  // A loopback plug instead of an analyser: every command comes back as its
  // own text and a CR, and none is carried out.
  bool echo = false;
};

// What the analyser answers, each reply closed by CR:
//   empty command     "QUELT"
//   R001 R005 R004 R002  identification, type, serialNumber, version
//   R402              countReply; else after a W402 the count it set ("15;"),
//                     before any W402 the number of rows stored ("12;")
//   R401k             row k (1-based, any number of digits) as stored; past
//                     the table the empty row "k;0;;0;0;0;0;0;0;0;0"
//   W401<row text>    stores the row at its first field's position (1..999),
//                     replacing it or extending the table with empty rows
//                     up to it; "OK"
//   W402<n>;X;X;      RowsInUse := n; "OK". Rows beyond n stay stored and
//                     R401 still reaches them.
//   anything else     "?" (so does a W401 or W402 whose number is unusable)
struct Config {
  std::string identification = "QUELT 300";  // reply to R001
  std::string type = "20";                   // reply to R005
  std::string serialNumber = "08154711";     // reply to R004
  std::string version = "V 2.31";            // reply to R002
  // Row texts in the wire form (Windows-1252), row 1 first. Not given: the
  // built-in default table of twelve fuels; given but empty: no rows.
  std::optional<std::vector<std::string>> rows;
  // Reply to R402, whatever W402 set; not given: the count in use or the
  // number of rows (see above).
  std::optional<std::string> countReply;
  int baud = 0;       // 0: unpaced; else each reply byte 10/baud s after the last
  int latencyMs = 0;  // delay before each reply
  Faults faults;
};

// The built-in table of twelve plausible fuels, in the wire form.
std::vector<std::string> DefaultTable();
// Reads a table file: one row text a line, blank lines and lines starting
// with '#' skipped, a CR before the line end dropped. A file that is valid
// UTF-8 with characters beyond ASCII is converted to Windows-1252; any other
// file is taken byte for byte. Throws std::runtime_error when the file
// cannot be read or holds a character Windows-1252 lacks.
std::vector<std::string> LoadTableFile(const std::string& path);

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
