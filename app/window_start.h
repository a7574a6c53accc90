// What both window programs (the Qt one on Linux, the Win32 one) do before
// their window exists: read the same options and build the same objects.
// Each main then only adds its toolkit: the pump, the window, the loop.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/trace_option.h"
#include "control/window_controller.h"
#include "link/analyser_link.h"
#include "link/pump.h"
#include "sim/inprocess_line.h"

namespace quelt::app {

struct WindowOptions {
  std::string port;  // UTF-8; "": look for the analyser's USB bridge
  bool demo = false;
  std::string lang;   // "": the system's language
  std::string trace;  // --trace FILE: every exchange into a new file
  // The probe's hooks (quelt-fuel-probe only, for scripts and benchmarks):
  // refresh once the window is shown, then send (--send), load a table file
  // (--load), open the editor (--edit) or the Backups view (--backups);
  // take a picture (--screenshot FILE) or write start-up time and memory to
  // FILE (--bench FILE, "-" for standard output), and end.
  bool refresh = false;
  bool send = false;
  bool edit = false;
  bool backups = false;
  std::string load;
  std::string screenshot;
  std::string bench;
  // Arguments left that are none of ours (a toolkit's own, -platform ...).
  std::vector<std::string> left;
};

// What reading the command line came to: the options, or the end of the
// program with `exitCode` after `text` (the usage, the version or an error,
// already ending with a line end) was shown.
struct OptionsRead {
  WindowOptions options;
  bool end = false;
  int exitCode = 0;
  std::string text;
};

// `args` without the program's name, UTF-8. With `keepForeign` options that
// are none of ours stay in `left` for the toolkit; without, they are refused.
OptionsRead ReadWindowOptions(const std::vector<std::string>& args, bool keepForeign);
// The end of the program for a fault found after the reading.
OptionsRead Refused(const std::string& error);

// The link, the controller and, for --demo, the simulated analyser inside
// the program (which outlives everything that talks to it).
class WindowSession {
 public:
  // `program` names the program in a trace ("quelt-fuel", "quelt-fuel.exe").
  WindowSession(MessagePump& pump, const WindowOptions& options,
                const std::filesystem::path& programFolder, std::string_view program);
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  control::WindowController& Controller() { return controller_; }
  // Why the --trace file could not be made; "" when it was or none was asked.
  const std::string& TraceProblem() const { return traceProblem_; }

 private:
  std::unique_ptr<sim::InProcessLine> simulated_;
  TraceOption trace_;  // outlives the link
  std::string traceProblem_;
  AnalyserLink link_;
  control::WindowController controller_;
};

// The probe's steps on a shown window: Refresh, then --send and --load.
void RunProbeTransfers(control::WindowController& controller, const WindowOptions& options);

}  // namespace quelt::app
