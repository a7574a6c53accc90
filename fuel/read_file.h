// The one reader of the files a user hands the tool (table files, backups):
// a file is trusted with memory only when it is a regular file of a size a
// table can have, so that a device (/dev/zero), a pipe or a huge file named
// by mistake is refused at once instead of being read forever.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace quelt {

// Larger input is no table of this tool.
inline constexpr std::size_t kMaxInputBytes = 1024 * 1024;

// The whole regular file at `path`, without a UTF-8 byte order mark.
// nullopt with `error` set, beginning with `name` (the file as the user
// named it), for a missing file, a folder, a device or a pipe, a file over
// kMaxInputBytes, or any read error.
std::optional<std::string> ReadInputFile(const std::filesystem::path& path, const std::string& name,
                                         std::string* error);

// The same limits for a stream that is already open (standard input): reads
// at most one byte past kMaxInputBytes, so an endless source cannot fill the
// memory.
std::optional<std::string> ReadCappedStream(std::FILE* in, const std::string& name,
                                            std::string* error);

}  // namespace quelt
