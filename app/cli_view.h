// The fuel-list operations' view on a terminal: log lines and messages go to
// the streams the command asks for, in UTF-8; buttons and cursors are moot.
#pragma once

#include <iosfwd>
#include <string>

#include "fuel/fuel_view.h"

namespace quelt {

class CliView : public FuelView {
 public:
  CliView(std::ostream& log, std::ostream& messages) : log_(&log), messages_(&messages) {}
  void SetLogStream(std::ostream& log) { log_ = &log; }
  // Log lines are dropped while muted (the intro text has no place here).
  void Mute(bool mute) { muted_ = mute; }

  void ClearLog() override {}
  void AddLogLine(const std::string& line) override;
  void SetProgress(int) override {}
  void SetBusyCursor(bool) override {}
  void ShowMessage(const std::string& text) override;
  void EnableRefresh(bool) override {}
  void EnableSend(bool) override {}
  void SetTransferActive(bool) override {}

 private:
  std::ostream* log_;
  std::ostream* messages_;
  bool muted_ = false;
};

}  // namespace quelt
