#include "fuel/read_file.h"

#include <cerrno>
#include <system_error>

namespace quelt {
namespace {

std::string ErrnoText(int code) { return std::error_code(code, std::generic_category()).message(); }

}  // namespace

std::optional<std::string> ReadCappedStream(std::FILE* in, const std::string& name,
                                            std::string* error) {
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

std::optional<std::string> ReadInputFile(const std::filesystem::path& path, const std::string& name,
                                         std::string* error) {
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
  // Read capped all the same: the file may have grown or been replaced
  // since its size was asked.
  auto text = ReadCappedStream(in, name, error);
  std::fclose(in);
  return text;
}

}  // namespace quelt
