// A trace of the line: every exchange of a run as plain text, for a
// technician to send in when an analyser behaves in a way nobody foresaw,
// and for quelt-sim --replay to play that analyser back. The format is
// described in docs/TRACE.md; FormatVersion() names it on the first line.
//
// AnalyserLink feeds a LineTrace (SetTrace); the trace writes its lines to a
// TraceSink: a file (FileTraceSink) or the last lines in memory
// (MemoryTraceSink, what a window keeps of its session). Nothing of the
// workstation goes in but the program and its version, the system's name
// and the port's name.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/dcb.h"

namespace quelt {

// Where a trace's lines go, each without its line end.
class TraceSink {
 public:
  virtual ~TraceSink() = default;
  // `header`: one of the lines before the first event.
  virtual void Add(std::string_view line, bool header) = 0;
};

// A new file: an existing one is never replaced. Each line is flushed as it
// is written, so a program that dies leaves its trace up to its last event.
class FileTraceSink : public TraceSink {
 public:
  // Nothing (and `error` says why) when the file exists or cannot be made.
  static std::unique_ptr<FileTraceSink> Create(const std::string& path, std::string* error);
  ~FileTraceSink() override;
  void Add(std::string_view line, bool header) override;
  // A write failed (disk full): the trace is incomplete.
  bool Failed() const { return failed_; }

 private:
  explicit FileTraceSink(std::FILE* file) : file_(file) {}
  std::FILE* file_;
  bool failed_ = false;
};

// The last lines of a session in memory: at most `limitBytes` of events
// (line ends counted), the oldest dropped first; the header is always kept.
class MemoryTraceSink : public TraceSink {
 public:
  static constexpr std::size_t kDefaultLimit = 2 * 1024 * 1024;
  explicit MemoryTraceSink(std::size_t limitBytes = kDefaultLimit) : limit_(limitBytes) {}
  void Add(std::string_view line, bool header) override;
  // The header, a note of the lines dropped (when some were), the events.
  std::string Text() const;
  std::size_t EventBytes() const { return bytes_; }
  std::size_t Dropped() const { return dropped_; }

 private:
  std::size_t limit_;
  std::vector<std::string> header_;
  std::deque<std::string> events_;
  std::size_t bytes_ = 0;
  std::size_t dropped_ = 0;
};

class LineTrace {
 public:
  // Writes the header: the format, `program` with `version`, the system.
  LineTrace(TraceSink& sink, std::string_view program, std::string_view version);

  // Every later line goes to `sink` too, after the header.
  void AddSink(TraceSink& sink);

  static constexpr int kFormatVersion = 1;
  // The first line of every trace.
  static std::string FormatLine();

  // The events, in the order they happened (texts are Windows-1252 bytes).
  void Opened(std::string_view port, const DcbRecord& dcb);
  void OpenFailed(std::string_view port, std::string_view why);
  void Closed();
  void Sent(std::string_view bytes);
  // One byte read; bytes read without a wait in between are one line.
  void Received(std::uint8_t byte) {
    if (chunk_.empty()) chunkMs_ = Ms();
    chunk_.push_back(static_cast<char>(byte));
  }
  // A wait begins or the reading ends: the bytes received so far are written.
  void EndOfInput() {
    if (!chunk_.empty()) FlushChunk();
  }
  void Reply(std::string_view command, std::string_view reply);
  // No reply by the end of the wait (`stopped`: the wait was given up),
  // with the bytes that came before.
  void Timeout(std::string_view command, std::string_view partial, bool stopped = false);
  void Drained(int quietMs, std::string_view removed, bool quiet);
  void Failed(std::string_view problem);
  // An operation begins ("read", "Refresh").
  void Operation(std::string_view name);
  // What an operation came to ("read: exit 0", "Refresh: Read 12 rows").
  void Outcome(std::string_view text);

 private:
  long long Ms() const;
  void Event(std::string_view tag, std::string_view text);
  void FlushChunk();
  void Emit(const std::string& line);

  std::vector<TraceSink*> sinks_;
  std::vector<std::string> header_;
  std::chrono::steady_clock::time_point start_;
  std::string chunk_;
  long long chunkMs_ = 0;
};

// The bytes as a trace shows them: printable ASCII as it is, every other
// byte and '\' as \xNN.
std::string TraceEscape(std::string_view bytes);
// Back to bytes; nothing when an escape is malformed.
std::optional<std::string> TraceUnescape(std::string_view text);

// One event line read back: its time, its tag ('>' , '<', "reply" ...) and
// the rest of the line as written.
struct TraceEvent {
  int lineNumber = 0;  // 1-based, in the file
  long long ms = 0;
  std::string tag;
  std::string text;
};
// The events of a trace's text; nothing (and `error` says where) when the
// text is no trace of a format this program reads.
std::optional<std::vector<TraceEvent>> ReadTraceEvents(std::string_view text, std::string* error);

}  // namespace quelt
