// --trace FILE, the same in every program (quelt-fuel-cli, the Qt and the
// Win32 window): the file made new, never replacing one, and the link's
// events written to it (link/line_trace.h, docs/TRACE.md).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "link/analyser_link.h"
#include "link/line_trace.h"
#include "quelt/version.h"

namespace quelt::app {

class TraceOption {
 public:
  // Makes the file; false (and `error` says why) when it exists or cannot
  // be made. The program then stops before it talks to the analyser.
  bool Open(const std::string& path, std::string* error) {
    sink_ = FileTraceSink::Create(path, error);
    return sink_ != nullptr;
  }
  bool IsOpen() const { return sink_ != nullptr; }

  // The file's own trace, begun on first use (the command line's).
  LineTrace* Trace(std::string_view program) {
    if (sink_ && !trace_) trace_ = std::make_unique<LineTrace>(*sink_, program, QUELT_VERSION);
    return trace_.get();
  }

  // A window's --trace: nothing to do without a `path`; false (and `error`)
  // when the file cannot be made. Declared before the link, so that the
  // file outlives it.
  bool Start(const std::string& path, AnalyserLink& link, std::string_view program,
             std::string* error) {
    if (path.empty()) return true;
    if (!Open(path, error)) return false;
    Attach(link, program);
    return true;
  }

  // The link's events to the file: it joins the trace the link keeps
  // already (a window's session), or the link gets the file's own.
  void Attach(AnalyserLink& link, std::string_view program) {
    if (!sink_) return;
    if (link.trace() != nullptr) {
      link.trace()->AddSink(*sink_);
    } else {
      link.SetTrace(Trace(program));
    }
  }

 private:
  std::unique_ptr<FileTraceSink> sink_;
  std::unique_ptr<LineTrace> trace_;
};

}  // namespace quelt::app
