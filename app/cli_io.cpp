#include "app/cli_io.h"

#include "fuel/atomic_file.h"
#include "fuel/read_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include "text/utf16.h"
#endif

namespace quelt::cli {
namespace {

std::string ErrnoText(int code) { return std::error_code(code, std::generic_category()).message(); }

#ifdef _WIN32
// A console takes UTF-16; its code page would garble what is not in it.
bool WriteConsoleText(std::FILE* stream, std::string_view utf8) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || GetConsoleMode(handle, &mode) == FALSE) return false;
  std::fflush(stream);
  if (utf8.empty()) return true;
  const std::wstring wide = WideFromUtf8(utf8);
  DWORD written = 0;
  return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) !=
         FALSE;
}
#endif

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  std::vector<std::string> args;
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
  }
  return args;
#else
  return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

#ifdef _WIN32
Utf8Console::Utf8Console() : previous_(GetConsoleOutputCP()) {
  if (previous_ != 0) SetConsoleOutputCP(CP_UTF8);
}
Utf8Console::~Utf8Console() {
  if (previous_ != 0) SetConsoleOutputCP(previous_);
}
#else
Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;
#endif

std::optional<std::string> OutputFileProblem(const std::string& path) {
  if (path == "-") return std::nullopt;
  if (path.empty()) return std::string("an empty FILE names no file");
  const std::filesystem::path file = PathFromUtf8(path);
  if (auto problem = ReplaceProblem(file)) return path + ": " + *problem;
  if (file.filename().empty()) return path + ": names a folder, not a file";
  std::error_code error;
  if (const std::filesystem::path folder = file.parent_path();
      !folder.empty() && !std::filesystem::is_directory(folder, error)) {
    return path + ": there is no folder " + PathText(folder);
  }
  return std::nullopt;
}

bool OutputFileExists(const std::string& path) {
  std::error_code error;
  return path != "-" &&
         std::filesystem::exists(std::filesystem::symlink_status(PathFromUtf8(path), error));
}

std::optional<std::string> ReadInputFile(const std::string& name, std::string* error) {
  if (name == "-") return ReadCappedStream(stdin, "standard input", error);
  return quelt::ReadInputFile(PathFromUtf8(name), name, error);
}

bool WriteStdout(std::string_view text, std::string* error) {
#ifdef _WIN32
  if (WriteConsoleText(stdout, text)) return true;
#endif
  errno = 0;
  const bool ok =
      std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
  if (!ok) *error = "cannot write the output: " + ErrnoText(errno != 0 ? errno : EIO);
  return ok;
}

namespace {
bool g_stderrFailed = false;
}  // namespace

bool WriteStderr(std::string_view text) {
#ifdef _WIN32
  if (WriteConsoleText(stderr, text)) return true;
#endif
  const bool ok =
      std::fwrite(text.data(), 1, text.size(), stderr) == text.size() && std::fflush(stderr) == 0;
  if (!ok) g_stderrFailed = true;
  return ok;
}

bool StderrFailed() { return g_stderrFailed; }

std::string WhereInFile(const std::string& path, int line) {
  std::string where = path;
  if (line > 0) {
    where += ':';
    where += std::to_string(line);
  }
  return where;
}

}  // namespace quelt::cli
