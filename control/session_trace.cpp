#include "control/session_trace.h"

#include "fuel/atomic_file.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "quelt/version.h"

namespace quelt::control {
namespace {

constexpr const char* kProgram =
#ifdef _WIN32
    "quelt-fuel.exe";
#else
    "quelt-fuel";
#endif

const char* ResultName(SendOutcome::Result result) {
  using R = SendOutcome::Result;
  switch (result) {
    case R::Sent:
      return "sent";
    case R::Declined:
      return "declined";
    case R::Refused:
      return "refused";
    case R::BackupFailed:
      return "backup failed";
    case R::NoReply:
      return "no reply";
    case R::Interrupted:
      return "interrupted";
    case R::CheckNoAnswer:
      return "check: no answer";
    case R::CheckDiffers:
      return "check: differs";
  }
  return "";
}

}  // namespace

SessionTrace::SessionTrace(AnalyserLink& link, std::size_t limitBytes)
    : link_(link), memory_(limitBytes), trace_(memory_, kProgram, QUELT_VERSION) {
  link_.SetTrace(&trace_);
}

SessionTrace::~SessionTrace() {
  if (link_.trace() == &trace_) link_.SetTrace(nullptr);
}

void SessionTrace::NoteSend(const SendOutcome& outcome) {
  std::string text = ResultName(outcome.result);
  text += ", " + std::to_string(outcome.rowsWritten) + " of " + std::to_string(outcome.rowsToSend) +
          " rows written";
  if (outcome.checked) text += ", checked";
  trace_.Outcome(text);
}

std::string SessionTrace::SaveTo(const std::filesystem::path& path) const {
  std::string error;
  if (WriteFileWhole(path, Text(), &error, Existing::Keep)) return {};
  return error;
}

FileChoice TraceFileChoice() {
  return {
      lang::Tr("Save a trace for support"), {{lang::Tr("Line traces"), {"txt"}}}, "txt", true, {}};
}

}  // namespace quelt::control
