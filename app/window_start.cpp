#include "app/window_start.h"

#include "fuel/atomic_file.h"
#include "lang/choice.h"
#include "quelt/version.h"
#include "text/command_line.h"

namespace quelt::app {
namespace {

constexpr const char* kUsage =
    "Usage: quelt-fuel [--port DEVICE] [--demo] [--lang CODE] [--trace FILE]\n"
    "Reads and writes the fuel table of a QUELT combustion analyser.\n"
    "\n"
    "  --port DEVICE  use this serial port instead of looking for the\n"
    "                 analyser's USB bridge (COM7, /dev/ttyUSB0)\n"
    "  --demo         attach a simulated analyser instead of a real one\n"
    "  --lang CODE    the window's language (cs de en es fi it ko pl ru);\n"
    "                 without it the system's\n"
    "  --trace FILE   record every exchange with the analyser in FILE (a new\n"
    "                 file), to send in with a problem report\n"
    "  --help         show this text\n"
    "  --version      show the version\n";

constexpr OptionSpec kOptions[] = {
    {"--port", true},     {"--demo", false},      {"--lang", true},  {"--trace", true},
#ifdef QUELT_PROBE
    {"--refresh", false}, {"--send", false},      {"--load", true},  {"--edit", false},
    {"--backups", false}, {"--screenshot", true}, {"--bench", true},
#endif
};

OptionsRead Ended(int exitCode, std::string text) {
  OptionsRead read;
  read.end = true;
  read.exitCode = exitCode;
  read.text = std::move(text);
  return read;
}

}  // namespace

OptionsRead Refused(const std::string& error) {
  return Ended(2, "quelt-fuel: " + error + "\nTry 'quelt-fuel --help'.\n");
}

OptionsRead ReadWindowOptions(const std::vector<std::string>& args, bool keepForeign) {
  const CommandLine line = ParseCommandLine(
      args, kOptions, keepForeign ? ForeignOptions::kKeep : ForeignOptions::kRefuse);
  if (!line.error.empty()) return Refused(line.error);
  if (!keepForeign && !line.operands.empty()) {
    return Refused("unknown option '" + line.operands[0] + "'");
  }
  if (line.Has("--help")) return Ended(0, kUsage);
  if (line.Has("--version")) return Ended(0, std::string("quelt-fuel ") + kVersion + "\n");

  OptionsRead read;
  WindowOptions& o = read.options;
  o.port = line.Value("--port").value_or("");
  o.demo = line.Has("--demo");
  o.lang = line.Value("--lang").value_or("");
  o.trace = line.Value("--trace").value_or("");
  o.send = line.Has("--send");
  o.edit = line.Has("--edit");
  o.backups = line.Has("--backups");
  o.load = line.Value("--load").value_or("");
  o.screenshot = line.Value("--screenshot").value_or("");
  o.bench = line.Value("--bench").value_or("");
  o.refresh = line.Has("--refresh") || o.send || o.edit || o.backups || !o.load.empty() ||
              !o.screenshot.empty() || !o.bench.empty();
  o.left = line.foreign;
  o.left.insert(o.left.end(), line.operands.begin(), line.operands.end());
  if (o.demo && !o.port.empty()) return Refused("--port and --demo exclude each other");
  if (line.Has("--lang")) {
    if (const std::string error = lang::LanguageOptionError(o.lang); !error.empty()) {
      return Refused(error);
    }
  }
  return read;
}

WindowSession::WindowSession(MessagePump& pump, const WindowOptions& options,
                             const std::filesystem::path& programFolder, std::string_view program)
    : simulated_(options.demo ? sim::InProcessLine::ForDemo() : nullptr),
      link_(pump),
      controller_(link_) {
  if (!options.port.empty()) link_.SetPortOverride(options.port);
  if (simulated_) controller_.AttachSimulated(*simulated_, simulated_->DevicePath());
  controller_.SetProgramFolder(programFolder);
  trace_.Start(options.trace, link_, program, &traceProblem_);
}

void RunProbeTransfers(control::WindowController& controller, const WindowOptions& options) {
  controller.Do(control::Command::Refresh);
  if (options.send) controller.Do(control::Command::Send);
  if (!options.load.empty()) controller.LoadTable(PathFromUtf8(options.load));
}

}  // namespace quelt::app
