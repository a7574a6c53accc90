#include "app/cli_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

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

}  // namespace

std::optional<std::string> ReadInputFile(const std::string& path, std::string* error) {
  if (path == "-") return ReadCapped(stdin, "standard input", error);

  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    *error = path + ": cannot be read: " + (ec ? ec.message() : "no such file");
    return std::nullopt;
  }
  if (std::filesystem::is_directory(status)) {
    *error = path + ": is a folder, not a file";
    return std::nullopt;
  }
  if (!std::filesystem::is_regular_file(status)) {
    *error = path + ": is not a regular file (a device or a pipe?)";
    return std::nullopt;
  }
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec && size > kMaxInputBytes) {
    *error = path + ": larger than 1 MB; a table file is a few kilobytes";
    return std::nullopt;
  }
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    *error = path + ": cannot be read: " + ErrnoText(errno);
    return std::nullopt;
  }
  auto text = ReadCapped(in, path, error);
  std::fclose(in);
  return text;
}

bool WriteStdout(std::string_view text, std::string* error) {
  errno = 0;
  const bool ok =
      std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
  if (!ok) *error = "cannot write the output: " + ErrnoText(errno != 0 ? errno : EIO);
  return ok;
}

}  // namespace quelt::cli
