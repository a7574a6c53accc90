// The window's trace of its session: every exchange with the analyser since
// the program started, kept in memory (the last 2 MB), for "Save a trace
// for support..." to write to a file the technician sends in. A --trace
// file joins the same trace (app/trace_option.h).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "control/file_choice.h"
#include "fuel/fuel_ops.h"
#include "link/analyser_link.h"
#include "link/line_trace.h"

namespace quelt::control {

class SessionTrace {
 public:
  // Records `link`'s events from now on, until it is destroyed.
  explicit SessionTrace(AnalyserLink& link,
                        std::size_t limitBytes = MemoryTraceSink::kDefaultLimit);
  ~SessionTrace();
  SessionTrace(const SessionTrace&) = delete;
  SessionTrace& operator=(const SessionTrace&) = delete;

  LineTrace& Trace() { return trace_; }
  std::string Text() const { return memory_.Text(); }
  // What a Send came to, as the trace's outcome line.
  void NoteSend(const SendOutcome& outcome);
  // Writes the trace to `path`, a new file (never replacing one): "" when
  // it was written, else why not (UTF-8).
  std::string SaveTo(const std::filesystem::path& path) const;

 private:
  AnalyserLink& link_;
  MemoryTraceSink memory_;
  LineTrace trace_;
};

// The file dialog of "Save a trace for support...".
FileChoice TraceFileChoice();

}  // namespace quelt::control
