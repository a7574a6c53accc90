// The command line's commands, each a function from options to an exit
// status. Same bytes on the wire as the window.
#pragma once

#include <string>

namespace quelt {
class LineTrace;
}

namespace quelt::cli {

enum Exit {
  kOk = 0,
  kLinkFailed = 1,  // the analyser did not answer, or output could not be written
  kUsage = 2,       // wrong usage or a faulty file: nothing was sent
  kMismatch = 3,    // what was read back differs from what was sent
};

struct Options {
  std::string port;
  bool demo = false;   // a simulated analyser instead of a real one
  bool verify = true;  // write: read the rows and the count back and compare
  bool noBackup = false;
  bool allowEmpty = false;  // write, restore: an empty table on purpose
  bool all = false;         // backup: rows 1..30, also those beyond the count
  bool force = false;       // backup: an existing FILE may be replaced
  bool anyAnalyser = false;
  // report: who and where (UTF-8); a line to sign on when empty.
  std::string customer, site, technician;
  // --trace FILE: the line's events (null: not traced).
  LineTrace* trace = nullptr;
};

// Prints the port discovery finds (Linux: the tty's path; Windows: COMn).
int FindPort();
int Identify(const Options& options);
int Read(const Options& options);
int Write(const Options& options, const std::string& path);
int Backup(const Options& options, const std::string& path);
int Restore(const Options& options, const std::string& path);
// The reports are out: a console window being closed may now end the program.
void FinishReports();

}  // namespace quelt::cli
