// The command line's files and streams: input that is checked before it is
// trusted, and output whose failure (full disk, closed stream, broken pipe)
// is noticed instead of passing as success.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quelt::cli {

// Larger input is no table of this tool.
inline constexpr std::size_t kMaxInputBytes = 1024 * 1024;

// The whole file (`-`: standard input), without a UTF-8 byte order mark.
// nullopt with `error` set (naming the file) for a folder, a device, a file
// over kMaxInputBytes, or any read error.
std::optional<std::string> ReadInputFile(const std::string& path, std::string* error);

// Writes all of `text` to standard output and flushes it; false with
// `error` set when the bytes did not get out.
bool WriteStdout(std::string_view text, std::string* error);

}  // namespace quelt::cli
