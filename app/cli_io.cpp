#include "app/cli_io.h"

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

// Reads at most one byte past the limit, so that an endless source (a
// device, a pipe that never closes its end) cannot fill the memory.
std::optional<std::string> ReadCapped(std::FILE* in, const std::string& name, std::string* error) {
  std::string text;
  char buffer[16384];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, in);
    text.append(buffer, n);
    if (text.size() > kMaxInputBytes) {
      *error = name + ": larger than 1 MB; a table file is a few kilobytes";
      return std::nullopt;
    }
    if (n < sizeof buffer) break;
  }
  if (std::ferror(in)) {
    *error = name + ": cannot be read: " + ErrnoText(errno);
    return std::nullopt;
  }
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  return text;
}

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

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
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

std::optional<std::string> ReadInputFile(const std::string& name, std::string* error) {
  if (name == "-") return ReadCapped(stdin, "standard input", error);

  const std::filesystem::path path = PathFromUtf8(name);
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    *error = name + ": cannot be read: " + (ec ? ec.message() : "no such file");
    return std::nullopt;
  }
  if (std::filesystem::is_directory(status)) {
    *error = name + ": is a folder, not a file";
    return std::nullopt;
  }
  if (!std::filesystem::is_regular_file(status)) {
    *error = name + ": is not a regular file (a device or a pipe?)";
    return std::nullopt;
  }
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec && size > kMaxInputBytes) {
    *error = name + ": larger than 1 MB; a table file is a few kilobytes";
    return std::nullopt;
  }
#ifdef _WIN32
  std::FILE* in = _wfopen(path.c_str(), L"rb");
#else
  std::FILE* in = std::fopen(path.c_str(), "rb");
#endif
  if (in == nullptr) {
    *error = name + ": cannot be read: " + ErrnoText(errno);
    return std::nullopt;
  }
  auto text = ReadCapped(in, name, error);
  std::fclose(in);
  return text;
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

}  // namespace quelt::cli
