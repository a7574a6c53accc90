#include "link/line_trace.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "text/text_helpers.h"

namespace quelt {
namespace {

constexpr const char* kSystem =
#ifdef _WIN32
    "Windows";
#else
    "Linux";
#endif

std::string Settings(const DcbRecord& dcb) {
  static constexpr char kParity[] = "NOEMS";
  static constexpr const char* kStop[] = {"1", "1.5", "2"};
  std::string s = std::to_string(dcb.BaudRate) + ' ' + std::to_string(dcb.ByteSize) +
                  (dcb.Parity < 5 ? kParity[dcb.Parity] : '?') +
                  (dcb.StopBits < 3 ? kStop[dcb.StopBits] : "?");
  char flags[16];
  std::snprintf(flags, sizeof flags, "0x%04X", static_cast<unsigned>(dcb.Flags));
  s += std::string(" flags ") + flags;
  s += (dcb.Flags & dcb::DtrControlOn) ? " DTR" : "";
  s += (dcb.Flags & dcb::RtsControlOn) ? " RTS" : "";
  return s;
}

}  // namespace

std::string TraceEscape(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && c != '\\') {
      out.push_back(c);
    } else {
      out += HexEscape(b);
    }
  }
  return out;
}

std::optional<std::string> TraceUnescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 3 >= text.size() || text[i + 1] != 'x') return std::nullopt;
    const auto value = ParseHexDigits(text.substr(i + 2, 2), 2);
    if (!value) return std::nullopt;
    out.push_back(static_cast<char>(*value));
    i += 3;
  }
  return out;
}

// --- sinks ---

std::unique_ptr<FileTraceSink> FileTraceSink::Create(const std::string& path, std::string* error) {
  std::FILE* file = nullptr;
#ifdef _WIN32
  const std::filesystem::path p(std::u8string(path.begin(), path.end()));
  HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD code = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  if (h != INVALID_HANDLE_VALUE) {
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(h), _O_WRONLY | _O_BINARY);
    file = fd < 0 ? nullptr : _fdopen(fd, "wb");
  }
  if (file == nullptr) {
    *error = "Cannot create the trace file " + path +
             (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS
                  ? ": it exists already (a trace never replaces a file)"
                  : ": error " + std::to_string(code));
    return nullptr;
  }
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  const int code = fd < 0 ? errno : 0;
  if (fd >= 0) file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    if (fd >= 0) ::close(fd);
    *error = "Cannot create the trace file " + path +
             (code == EEXIST ? ": it exists already (a trace never replaces a file)"
                             : std::string(": ") + std::strerror(code));
    return nullptr;
  }
#endif
  return std::unique_ptr<FileTraceSink>(new FileTraceSink(file));
}

FileTraceSink::~FileTraceSink() { std::fclose(file_); }

void FileTraceSink::Add(std::string_view line, bool) {
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
      std::fputc('\n', file_) == EOF || std::fflush(file_) != 0) {
    failed_ = true;
  }
}

void MemoryTraceSink::Add(std::string_view line, bool header) {
  if (header) {
    header_.emplace_back(line);
    return;
  }
  events_.emplace_back(line);
  bytes_ += line.size() + 1;
  while (bytes_ > limit_ && !events_.empty()) {
    bytes_ -= events_.front().size() + 1;
    events_.pop_front();
    ++dropped_;
  }
}

std::string MemoryTraceSink::Text() const {
  std::string out;
  out.reserve(bytes_ + 256);
  for (const std::string& line : header_) out += line + '\n';
  if (dropped_ > 0) {
    out += "# " + std::to_string(dropped_) + " older lines dropped\n";
  }
  for (const std::string& line : events_) {
    out += line;
    out += '\n';
  }
  return out;
}

// --- the trace ---

std::string LineTrace::FormatLine() {
  return "# quelt-fuel line trace, format " + std::to_string(kFormatVersion);
}

LineTrace::LineTrace(TraceSink& sink, std::string_view program, std::string_view version)
    : start_(std::chrono::steady_clock::now()) {
  header_ = {FormatLine(), "# program: " + std::string(program) + ' ' + std::string(version),
             std::string("# system: ") + kSystem, "# ms event data"};
  AddSink(sink);
}

void LineTrace::AddSink(TraceSink& sink) {
  for (const std::string& line : header_) sink.Add(line, true);
  sinks_.push_back(&sink);
}

void LineTrace::Emit(const std::string& line) {
  for (TraceSink* sink : sinks_) sink->Add(line, false);
}

long long LineTrace::Ms() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

void LineTrace::Event(std::string_view tag, std::string_view text) {
  EndOfInput();
  std::string line = std::to_string(Ms());
  line += ' ';
  line += tag;
  if (!text.empty()) {
    line += ' ';
    line += text;
  }
  Emit(line);
}

void LineTrace::FlushChunk() {
  std::string line = std::to_string(chunkMs_) + " < " + TraceEscape(chunk_);
  chunk_.clear();
  Emit(line);
}

void LineTrace::Opened(std::string_view port, const DcbRecord& dcb) {
  Event("open", TraceEscape(port) + ' ' + Settings(dcb));
}
void LineTrace::OpenFailed(std::string_view port, std::string_view why) {
  Event("open-failed", TraceEscape(port) + ": " + TraceEscape(why));
}
void LineTrace::Closed() { Event("close", ""); }
void LineTrace::Sent(std::string_view bytes) { Event(">", TraceEscape(bytes)); }
void LineTrace::Reply(std::string_view command, std::string_view reply) {
  Event("reply", TraceEscape(command) + " = " + TraceEscape(reply));
}
void LineTrace::Timeout(std::string_view command, std::string_view partial, bool stopped) {
  Event(stopped ? "stopped" : "timeout", TraceEscape(command) + " = " + TraceEscape(partial));
}
void LineTrace::Drained(int quietMs, std::string_view removed, bool quiet) {
  Event("drain",
        std::to_string(quietMs) + (quiet ? " quiet" : " busy") + " = " + TraceEscape(removed));
}
void LineTrace::Failed(std::string_view problem) { Event("failed", TraceEscape(problem)); }
void LineTrace::Operation(std::string_view name) { Event("operation", TraceEscape(name)); }
void LineTrace::Outcome(std::string_view text) { Event("outcome", TraceEscape(text)); }

// --- reading ---

std::optional<std::vector<TraceEvent>> ReadTraceEvents(std::string_view text, std::string* error) {
  std::vector<TraceEvent> events;
  int number = 0;
  bool formatSeen = false;
  const std::string prefix = "# quelt-fuel line trace, format ";
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (number == 1) {
      if (line.substr(0, prefix.size()) != prefix) {
        *error = "line 1: not a quelt-fuel line trace";
        return std::nullopt;
      }
      if (line.substr(prefix.size()) != std::to_string(LineTrace::kFormatVersion)) {
        *error = "line 1: a trace of format " + std::string(line.substr(prefix.size())) +
                 ", this program reads format " + std::to_string(LineTrace::kFormatVersion);
        return std::nullopt;
      }
      formatSeen = true;
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    TraceEvent e;
    e.lineNumber = number;
    std::size_t i = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && i < 15) {
      e.ms = e.ms * 10 + (line[i] - '0');
      ++i;
    }
    const std::size_t tagEnd = line.find(' ', i + 1);
    if (i == 0 || i >= line.size() || line[i] != ' ' || i + 1 >= line.size()) {
      *error = "line " + std::to_string(number) + ": no time and event";
      return std::nullopt;
    }
    e.tag =
        std::string(line.substr(i + 1, tagEnd == std::string_view::npos ? tagEnd : tagEnd - i - 1));
    if (tagEnd != std::string_view::npos) e.text = std::string(line.substr(tagEnd + 1));
    events.push_back(std::move(e));
  }
  if (!formatSeen) {
    *error = "empty file: not a quelt-fuel line trace";
    return std::nullopt;
  }
  return events;
}

}  // namespace quelt
