// Files that are either whole or absent. Every file is first created under a
// new name of its own in the target's folder (exclusively: never an existing
// file, never through a link someone planted there), written, flushed to the
// disk, and only then moved to its name; on Linux the folder is flushed too,
// so that the move itself survives a power cut.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quelt {

// Why a file of this tool must not take the place of `path` (UTF-8), or
// nullopt when `path` does not exist or is a regular file with one name: a
// symbolic link (any reparse point on Windows), a folder, a device, a pipe,
// or a file with more than one hard link. Windows' device names (NUL, CON,
// COM1.txt, ...) count as devices on every system.
std::optional<std::string> ReplaceProblem(const std::filesystem::path& path);

// What a write does with a file already at its path.
enum class Existing { Replace, Keep };

// Writes `bytes` to `path`, replacing a regular file of that name (which
// keeps its permissions) or, with Existing::Keep, failing on any existing
// name, also one made while the bytes were written; refuses a `path` with a
// ReplaceProblem. False with `error` set (naming the file); no partial file
// is left behind.
bool WriteFileWhole(const std::filesystem::path& path, std::string_view bytes, std::string* error,
                    Existing existing = Existing::Replace);
// The same for text made with '\n' line ends: written with the system's own,
// CR LF on Windows, so that every editor there shows the lines.
bool WriteTextFileWhole(const std::filesystem::path& path, std::string_view text,
                        std::string* error, Existing existing = Existing::Replace);
std::string PlatformLineEnds(std::string_view text);

// Writes `bytes` to a new file in `folder` named `name(n)` for the first n of
// 1..`tries` whose name is free. Never replaces a file, also when another
// process writes to the same folder at the same moment. Returns the path, or
// nullopt with `error` set.
std::optional<std::filesystem::path> WriteNewFile(const std::filesystem::path& folder,
                                                  const std::function<std::string(int)>& name,
                                                  int tries, std::string_view bytes,
                                                  std::string* error);

// A name Windows keeps for a device (CON, PRN, AUX, NUL, COM0..9, LPT0..9),
// in any case and also with an extension ("nul.txt"): a file of that name
// cannot be made there.
bool IsWindowsDeviceName(std::string_view fileName);

// The longest path Windows' file functions take without the long-path
// prefix, in UTF-16 units and without the closing NUL.
inline constexpr std::size_t kWindowsMaxPath = 259;

// A path as text for messages (UTF-8 on every system), and a path from
// such a text (an option, a setting).
std::string PathText(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(const std::string& utf8);

// The computer's name (UTF-8), for a report; "" when the system gives none.
std::string WorkstationName();

}  // namespace quelt
