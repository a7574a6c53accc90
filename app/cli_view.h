// The fuel-list operations' view on a terminal: log lines and messages go to
// standard error in UTF-8 (or into a string the command prints itself);
// buttons and cursors are moot. A message repeats no line the log already
// printed: on a terminal both end up in the same place.
#pragma once

#include <set>
#include <string>

#include "fuel/fuel_view.h"

namespace quelt {

class CliView : public FuelView {
 public:
  // Log lines go into `into` instead of standard error (nullptr: back).
  void CaptureLog(std::string* into) { capture_ = into; }

  void ClearLog() override {}
  void AddLogLine(const std::string& line) override;
  void SetProgress(int) override {}
  void SetBusyCursor(bool) override {}
  void ShowMessage(const std::string& text) override;
  // The command line asked before it started (--allow-empty).
  bool Confirm(const std::string&) override { return true; }
  void EnableRefresh(bool) override {}
  void EnableSend(bool) override {}
  void SetTransferActive(bool) override {}

 private:
  std::string* capture_ = nullptr;
  std::set<std::string> printed_;
};

}  // namespace quelt
