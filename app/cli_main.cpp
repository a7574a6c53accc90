// quelt-fuel-cli: the tool's operations without a window, for scripts and for
// service benches. Same bytes on the wire as the window.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "app/cli_io.h"
#include "app/cli_tools.h"
#include "app/trace_option.h"
#include "quelt/version.h"
#include "text/command_line.h"

namespace {

using namespace quelt::cli;

constexpr const char* kUsageText =
    R"(Usage: quelt-fuel-cli [--port DEVICE | --demo] COMMAND [OPTION]...
       quelt-fuel-cli --find-port

Reads and writes the fuel table of a QUELT combustion analyser.

Commands:
  identify            print the analyser's identification, type, serial
                      number and version
  read                read the fuel table (with the natural gas names of the
                      analyser's language and the natural gas H row) and print
                      it, one row a line: position;ID;description;Co2Max;A2;B;
                      RefO2;Vatr;Vaf;HU;Soot;  (UTF-8, ',' as decimal mark)
  write FILE          send the rows of FILE ('-': standard input) to the
                      analyser: at most 30 rows are sent and the analyser is
                      told to use at most 15. FILE holds one row a line in the
                      form that 'read' prints, or is a CSV file the window
                      exported or a backup (its rows in use); the whole
                      file is checked before anything is sent. The analyser's table is saved
                      to the backups folder first (every row the write
                      overwrites), and afterwards the rows and the count are
                      read back and compared, value by value.
  backup FILE         save the analyser's table exactly as it stores it (the
                      count and rows 1 to count, unchanged) to FILE ('-':
                      standard output); FILE must not be a link, a folder
                      or a device, and an existing FILE is kept (--force
                      replaces it)
  restore FILE        write a backup back exactly (rows and count as they
                      were), then read it back and compare. The whole file
                      is checked first (its check line, every row, the
                      count); a damaged backup is refused and nothing is
                      sent
  diff FILE           compare the rows the analyser stores with the rows of
                      FILE (any kind 'write' takes), field by field at the
                      precision the analyser keeps; the differences go to
                      standard output. What 'read' adds or renames for
                      display (a natural gas H row the analyser does not
                      store, the natural gas L name) is a note on stderr,
                      not a difference, so a file just written or just read
                      compares the same.
                      Exit status 0 the same, 3 different
  backups             list the attached analyser's backups, newest first:
                      time, rows, count, the file's check (ok, or why it
                      must not be restored) and its path
  report FILE         read the analyser's table and write a service report to
                      FILE ('-': standard output): a web page that prints on
                      one A4 page, with the analyser's identity, the date,
                      this computer, customer, site and technician, the
                      rows the analyser stores with units, and the changes
                      against the last backup (the table before the work)

Options:
  --port DEVICE       use DEVICE (/dev/ttyUSB0, a /dev/serial/by-id/ link,
                      COM7) instead of looking for the analyser's USB bridge
  --find-port         print the port of the analyser's USB bridge (Linux: its
                      device, /dev/ttyUSB0; Windows: COM7) and exit; exit
                      status 1 when it is not attached
  --demo              talk to a simulated analyser inside the program
                      instead of a real one (what it is sent is forgotten
                      when the program ends)
  --no-verify         write: do not read the rows and the count back; the
                      last line then says "sent, not checked"
  --no-backup         write, restore: do not save the analyser's table first
  --allow-empty       write, restore: send a table without rows (the
                      analyser then uses no fuel at all)
  --all               backup: rows 1 to 30, also those beyond the count
                      (stored by the analyser, not used)
  --force             backup: replace FILE when it exists
  --any-analyser      restore: also onto an analyser with another serial
                      number than the backup's
  --customer TEXT, --site TEXT, --technician TEXT
                      report: fill in these lines of the report
  --trace FILE        record every exchange with the analyser in FILE (a
                      new file; an existing one is never replaced): the
                      program and its version, the system's name, the port
                      and its settings, then each command, reply, time-out
                      and drain with its time, and each command's outcome.
                      Send it in with a problem report; 'quelt-sim --replay
                      FILE' plays the analyser it shows
  --help              show this text
  --version           show the version

Backups are kept in $XDG_DATA_HOME/quelt-fuel/backups (Linux; without the
variable ~/.local/share/quelt-fuel/backups) or %LOCALAPPDATA%\quelt-fuel\backups
(Windows), one folder per serial number, named by the time.

Exit status: 0 done; 1 the analyser did not answer ("Communication error !",
"Transfer error", "Timeout"), or the output could not be written; 2 wrong
usage or a faulty file, nothing sent; 3 what was read back differs from what
was sent; 128+n stopped by signal n (130 Ctrl+C, 143 SIGTERM, 129 SIGHUP,
131 SIGQUIT): the command in flight was finished, stderr says what the
analyser holds.

Device text (the analyser's replies) is shown with control characters as
\xNN.
Output is always in English.
)";

constexpr const char* kShortUsage =
    "Usage: quelt-fuel-cli [--port DEVICE | --demo] identify|read|write FILE|backup FILE|"
    "restore FILE|diff FILE|backups|report FILE\n"
    "Try 'quelt-fuel-cli --help'.\n";

int Usage(const std::string& complaint) {
  WriteStderr("quelt-fuel-cli: " + complaint + "\n" + kShortUsage);
  return kUsage;
}

// --help and --version: what cannot be written is a failure.
int Print(const std::string& text) {
  std::string error;
  if (WriteStdout(text, &error)) return kOk;
  WriteStderr("quelt-fuel-cli: " + error + "\n");
  return kLinkFailed;
}

int Run(int argc, char** argv, quelt::app::TraceOption& trace);

}  // namespace

int main(int argc, char** argv) {
  quelt::app::TraceOption trace;
  int status = Run(argc, argv, trace);
  if (quelt::LineTrace* t = trace.Trace("quelt-fuel-cli"))
    t->Outcome("exit " + std::to_string(status));
  FinishReports();
  if (StderrFailed() && status == kOk) status = kLinkFailed;
  return status;
}

namespace {

int Run(int argc, char** argv, quelt::app::TraceOption& trace) {
  // A closed pipe must show up as a failed write, not end the program quietly.
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
  // Nor may a file-size limit: the write fails with EFBIG and says so, the
  // partial file is removed and the port gets its settings back.
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // UTF-8 out, whatever the console's code page; any file name in.
  const Utf8Console console;
  static constexpr quelt::OptionSpec kOptions[] = {
      {"--port", true},          {"--demo", false},      {"--verify", false},
      {"--no-verify", false},    {"--no-backup", false}, {"--allow-empty", false},
      {"--any-analyser", false}, {"--find-port", false}, {"--all", false},
      {"--force", false},        {"--customer", true},   {"--site", true},
      {"--technician", true},    {"--trace", true},
  };
  const quelt::CommandLine line = quelt::ParseCommandLine(Utf8Arguments(argc, argv), kOptions);
  if (!line.error.empty()) return Usage(line.error);
  if (line.Has("--help")) return Print(kUsageText);
  if (line.Has("--version")) return Print(std::string("quelt-fuel-cli ") + QUELT_VERSION + "\n");
  Options options;
  options.port = line.Value("--port").value_or("");
  options.demo = line.Has("--demo");
  if (line.Has("--verify") && line.Has("--no-verify")) {
    return Usage("--verify and --no-verify exclude each other");
  }
  options.verify = !line.Has("--no-verify");
  options.noBackup = line.Has("--no-backup");
  options.allowEmpty = line.Has("--allow-empty");
  options.anyAnalyser = line.Has("--any-analyser");
  options.all = line.Has("--all");
  options.force = line.Has("--force");
  options.customer = line.Value("--customer").value_or("");
  options.site = line.Value("--site").value_or("");
  options.technician = line.Value("--technician").value_or("");
  const std::vector<std::string>& rest = line.operands;
  if (const auto path = line.Value("--trace")) {
    std::string error;
    if (!trace.Open(*path, &error)) {
      WriteStderr("quelt-fuel-cli: " + error + "\n");
      return kUsage;
    }
    options.trace = trace.Trace("quelt-fuel-cli");
    // The command only: a file's name could say whose computer it is.
    options.trace->Operation(rest.empty() ? "" : rest[0]);
  }

  if (options.demo && !options.port.empty()) return Usage("--port and --demo exclude each other");
  if (line.Has("--find-port")) {
    if (!rest.empty() || line.Has("--port") || options.demo) {
      return Usage("--find-port takes no command, --port or --demo");
    }
    return FindPort();
  }
  const std::string command = rest.empty() ? "" : rest[0];
  if (command == "identify" && rest.size() == 1) return Identify(options);
  if (command == "read" && rest.size() == 1) return Read(options);
  if (command == "write" && rest.size() == 2) return Write(options, rest[1]);
  if (command == "backup" && rest.size() == 2) return Backup(options, rest[1]);
  if (command == "restore" && rest.size() == 2) return Restore(options, rest[1]);
  if (command == "diff" && rest.size() == 2) return Diff(options, rest[1]);
  if (command == "backups" && rest.size() == 1) return Backups(options);
  if (command == "report" && rest.size() == 2) return Report(options, rest[1]);
  if (command.empty()) return Usage("no command given");
  static constexpr const char* kWithFile[] = {"write", "backup", "restore", "diff", "report"};
  for (const char* c : kWithFile) {
    if (command == c)
      return Usage(command + " takes one FILE ('-' for standard " +
                   (command == "backup" || command == "report" ? "output" : "input") + ")");
  }
  if (command == "identify" || command == "read" || command == "backups") {
    return Usage(command + " takes no FILE");
  }
  return Usage("unknown command '" + command + "'");
}

}  // namespace
