// What the simulated analyser answers, and the faults it can show: the
// model alone, with no line, so that it builds wherever the tool does.
#pragma once

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
  // The row W401 writes at this position is answered "OK" but stored
  // without its HU, which reads back as 0 (0 = never).
  int dropHuAt = 0;
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
//                     the table the empty row "k;0;;0;0;0;0;0;0;0;0" (or
//                     beyondRowsReply, or nothing with silentBeyondRows)
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
  // The analyser keeps numbers, not texts: a row written as
  // "1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;" is stored as values and
  // read back in its own format, "1;1;Oil;15,40;0,680;0,0070;3;10,5;12;42,7;1"
  // (Co2Max with 2 decimals, A2 with 3, B with 4, the rest as short as they
  // go, no closing ';'). Off: rows are kept as the text they came in.
  bool ownNumberFormat = false;
  // The analyser numbers its row replies its own way: the first field of
  // every R401 reply is 100 + the position asked for.
  bool ownRowNumbers = false;
  // What R401 answers past the rows stored, instead of the empty row
  // ("?", "ERR"); silentBeyondRows: no answer at all there.
  std::optional<std::string> beyondRowsReply;
  bool silentBeyondRows = false;
  int baud = 0;       // 0: unpaced; else each reply byte 10/baud s after the last
  int latencyMs = 0;  // delay before each reply
  int trickleMs = 0;  // a pause before each reply byte after the first
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

}  // namespace quelt::sim
