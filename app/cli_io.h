// The command line's files and streams: input that is checked before it is
// trusted, and output whose failure (full disk, closed stream, broken pipe)
// is noticed instead of passing as success.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuel/atomic_file.h"

namespace quelt::cli {

// The program's arguments as UTF-8, whatever characters they hold: on
// Windows from the wide command line, not from the code page's argv.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// While it lives, a Windows console shows the UTF-8 the program writes; the
// console's own code page comes back afterwards. Nothing elsewhere.
class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  unsigned previous_ = 0;
};

// The whole file named by an argument (`-`: standard input), with the
// limits and checks of fuel's ReadInputFile; `error` names the file as typed.
std::optional<std::string> ReadInputFile(const std::string& path, std::string* error);
// "FILE:LINE" for a complaint about a file's line; "FILE" for line 0.
std::string WhereInFile(const std::string& path, int line);

// A FILE argument a command is to write (`-`: standard output) is refused
// before the analyser is asked anything when it is empty, a link, a folder,
// a device or a pipe, or lies in a folder that does not exist: why, naming
// the file as typed; nothing when it may be written.
std::optional<std::string> OutputFileProblem(const std::string& path);
// A FILE argument names something that exists (`-` never does).
bool OutputFileExists(const std::string& path);

// Writes all of `text` to standard output and flushes it; false with
// `error` set when the bytes did not get out.
bool WriteStdout(std::string_view text, std::string* error);
// The same for standard error. A report that could not be written is a
// failure too: StderrFailed() tells the program to end with exit status 1.
bool WriteStderr(std::string_view text);
bool StderrFailed();

}  // namespace quelt::cli
