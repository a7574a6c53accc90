// quelt-fuel.exe, the Win32 program (built in win/'s tree): the window
// first, then the link and the operations, then the message loop until the
// window closes. Built a second time as quelt-fuel-probe.exe (QUELT_PROBE)
// with the hooks of scripts and benchmarks; the program users get has none.
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/trace_option.h"
#include "control/window_controller.h"
#include "fuel/fuel_ops.h"
#include "lang/choice.h"
#include "link/analyser_link.h"
#include "quelt/version.h"
#include "sim/inprocess_line.h"
#include "text/command_line.h"
#include "text/utf16.h"
#include "win/fuel_dialog.h"
#include "win/main_window.h"
#include "win/win_pump.h"

namespace {

// The folder of the running .exe (the user guide lies beside it).
std::filesystem::path ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return std::filesystem::path(path).parent_path();
    }
    path.resize(path.size() * 2);
  }
}

const wchar_t kUsage[] =
    L"Usage: quelt-fuel [--port COMn] [--demo] [--lang de|en] [--trace FILE]\n"
    L"Reads and writes the fuel table of a QUELT combustion analyser.\n\n"
    L"  --port COMn   use this serial port instead of looking for the\n"
    L"                analyser's USB bridge\n"
    L"  --demo        attach a simulated analyser instead of a real one\n"
    L"  --lang CODE   the window's language (de, en); without it the system's\n"
    L"  --trace FILE  record every exchange with the analyser in FILE (a new\n"
    L"                file), to send in with a problem report\n"
    L"  --help        show this text\n"
    L"  --version     show the program's version";

struct Options {
  std::wstring port;
  bool demo = false;
  std::string lang;  // "": the system's language
  std::string trace;
  // The probe's hooks (quelt-fuel-probe.exe, for scripts and benchmarks
  // only): refresh once the window is shown; then open the editor (--edit)
  // or write start-up time and memory to a file (--bench FILE) and end.
  bool refresh = false;
  bool edit = false;
  bool backups = false;  // send the table, then open the Backups view
  std::wstring bench;
};

int Fail(const std::wstring& message) {
  const std::wstring text = L"quelt-fuel: " + message + L"\n\n" + kUsage;
  // A window program has no console: say it in a box, and on the standard
  // error stream where there is one.
  std::fputs(quelt::Utf8FromWide(text + L"\n").c_str(), stderr);
  MessageBoxW(nullptr, text.c_str(), L"quelt-fuel", MB_OK | MB_ICONERROR);
  return 2;
}

bool Parse(const std::vector<std::wstring>& args, Options& o, int& exitCode) {
  static constexpr quelt::OptionSpec kOptions[] = {
      {"--port", true},     {"--demo", false}, {"--lang", true},
#ifdef QUELT_PROBE
      {"--refresh", false}, {"--edit", false}, {"--bench", true}, {"--backups", false},
#endif
      {"--trace", true},
  };
  std::vector<std::string> utf8;
  for (std::size_t i = 1; i < args.size(); ++i) {
    utf8.push_back(args[i] == L"/?" ? "--help" : quelt::Utf8FromWide(args[i]));
  }
  const quelt::CommandLine line = quelt::ParseCommandLine(utf8, kOptions);
  std::string error = line.error;
  if (error.empty() && !line.operands.empty()) {
    error = "unknown option '" + line.operands[0] + "'";
  }
  if (!error.empty()) {
    exitCode = Fail(quelt::WideFromUtf8(error));
    return false;
  }
  if (line.Has("--help")) {
    std::fputs(quelt::Utf8FromWide(std::wstring(kUsage) + L"\n").c_str(), stdout);
    MessageBoxW(nullptr, kUsage, L"quelt-fuel", MB_OK);
    exitCode = 0;
    return false;
  }
  if (line.Has("--version")) {
    const std::string text = std::string("quelt-fuel ") + quelt::kVersion;
    std::printf("%s\n", text.c_str());
    MessageBoxW(nullptr, quelt::WideFromUtf8(text).c_str(), L"quelt-fuel", MB_OK);
    exitCode = 0;
    return false;
  }
  o.port = quelt::WideFromUtf8(line.Value("--port").value_or(""));
  o.demo = line.Has("--demo");
  o.edit = line.Has("--edit");
  o.backups = line.Has("--backups");
  o.bench = quelt::WideFromUtf8(line.Value("--bench").value_or(""));
  o.refresh = line.Has("--refresh") || o.edit || o.backups || !o.bench.empty();
  if (o.demo && !o.port.empty()) {
    exitCode = Fail(L"--port and --demo exclude each other");
    return false;
  }
  o.lang = line.Value("--lang").value_or("");
  o.trace = line.Value("--trace").value_or("");
  if (line.Has("--lang")) {
    if (const std::string refusal = quelt::lang::LanguageOptionError(o.lang); !refusal.empty()) {
      exitCode = Fail(quelt::WideFromUtf8(refusal));
      return false;
    }
  }
  return true;
}

std::int64_t NowFiletime() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return static_cast<std::int64_t>(
      ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart);
}

std::int64_t ProcessStart() {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return static_cast<std::int64_t>(
      ULARGE_INTEGER{{created.dwLowDateTime, created.dwHighDateTime}}.QuadPart);
}

}  // namespace

int main() {
  const std::int64_t mainEntered = NowFiletime();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argv, argv + argc);
  LocalFree(argv);
  Options options;
  int exitCode = 0;
  if (!Parse(args, options, exitCode)) return exitCode;
  // Before the first window text.
  quelt::lang::UseLanguage(options.lang);

  // The demo's analyser lives inside the program; it outlives everything
  // that talks to it.
  std::unique_ptr<quelt::sim::InProcessLine> simulated;
  if (options.demo) simulated = quelt::sim::InProcessLine::ForDemo();
  // The pump outlives the window, which turns its fast wake-ups off.
  quelt::win::WinPump pump;
  quelt::app::TraceOption trace;  // outlives the link
  quelt::AnalyserLink analyser(pump);
  if (!options.port.empty()) analyser.SetPortOverride(quelt::Utf8FromWide(options.port));
  quelt::control::WindowController controller(analyser);
  if (simulated) controller.AttachSimulated(*simulated, simulated->DevicePath());
  if (std::string error; !trace.Start(options.trace, analyser, "quelt-fuel.exe", &error)) {
    return Fail(quelt::WideFromUtf8(error));
  }
  controller.SetProgramFolder(ProgramFolder());
  quelt::win::MainWindow form(controller);
  form.SetPump(&pump);
  form.SetQuitOnDestroy(true);

  std::int64_t firstPaint = 0;
  if (!options.bench.empty()) form.SetFirstPaintHook([&firstPaint] { firstPaint = NowFiletime(); });
  if (!form.Create()) return 1;
  pump.SetPreTranslate([&form](MSG& msg) { return form.PreTranslate(msg); });

  if (options.refresh) {
    pump.ProcessPendingEvents();
    const std::int64_t refreshStart = NowFiletime();
    controller.Do(quelt::control::Command::Refresh);
    const std::int64_t refreshEnd = NowFiletime();
    if (options.edit) controller.Do(quelt::control::Command::Edit);
    if (options.backups) {
      controller.Do(quelt::control::Command::Send);
      controller.Do(quelt::control::Command::Backups);
    }
    if (!options.bench.empty()) {
      PROCESS_MEMORY_COUNTERS_EX memory{};
      memory.cb = sizeof memory;
      GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory);
      if (std::FILE* f = _wfopen(options.bench.c_str(), L"w")) {
        // From the process's creation: to main (the loader's share), to the
        // first WM_PAINT of the window.
        const std::int64_t start = ProcessStart();
        std::fprintf(f,
                     "main_ms %.1f\nfirst_paint_ms %.1f\nrefresh_ms %.1f\n"
                     "working_set_after_refresh_kb %llu\n",
                     static_cast<double>(mainEntered - start) / 1e4,
                     static_cast<double>(firstPaint - start) / 1e4,
                     static_cast<double>(refreshEnd - refreshStart) / 1e4,
                     static_cast<unsigned long long>(memory.WorkingSetSize / 1024));
        std::fclose(f);
      }
      return 0;
    }
  }

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) pump.Dispatch(msg);
  return static_cast<int>(msg.wParam);
}
