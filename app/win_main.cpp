// quelt-fuel.exe, the Win32 program (built in win/'s tree): the window
// first, then the link and the operations, then the message loop until the
// window closes. Built a second time as quelt-fuel-probe.exe (QUELT_PROBE)
// with the hooks of scripts and benchmarks; the program users get has none.
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/window_start.h"
#include "lang/choice.h"
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

// Says what reading the options came to: a window program has no console,
// so in a box, and on the standard streams where there are some.
int End(const quelt::app::OptionsRead& read) {
  std::fputs(read.text.c_str(), read.exitCode == 0 ? stdout : stderr);
  MessageBoxW(nullptr, quelt::WideFromUtf8(read.text).c_str(), L"quelt-fuel",
              MB_OK | (read.exitCode == 0 ? 0 : MB_ICONERROR));
  return read.exitCode;
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
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(std::wcscmp(argv[i], L"/?") == 0 ? "--help" : quelt::Utf8FromWide(argv[i]));
  }
  LocalFree(argv);
  const quelt::app::OptionsRead read = quelt::app::ReadWindowOptions(args, false);
  if (read.end) return End(read);
  const quelt::app::WindowOptions& options = read.options;
  // Before the first window text.
  quelt::lang::UseLanguage(options.lang);

  // The pump outlives the window, which turns its fast wake-ups off.
  quelt::win::WinPump pump;
  quelt::app::WindowSession session(pump, options, ProgramFolder(), "quelt-fuel.exe");
  if (!session.TraceProblem().empty()) return End(quelt::app::Refused(session.TraceProblem()));
  quelt::control::WindowController& controller = session.Controller();
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
    quelt::app::RunProbeTransfers(controller, options);
    const std::int64_t refreshEnd = NowFiletime();
    if (options.edit) controller.Do(quelt::control::Command::Edit);
    if (options.backups) controller.Do(quelt::control::Command::Backups);
    if (!options.bench.empty()) {
      PROCESS_MEMORY_COUNTERS_EX memory{};
      memory.cb = sizeof memory;
      GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory);
      if (std::FILE* f = _wfopen(quelt::WideFromUtf8(options.bench).c_str(), L"w")) {
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
