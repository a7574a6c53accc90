// The narrow face a front end shows the fuel-list operations: the log, the
// progress bar, the cursor, modal messages and the buttons. The window
// implements it with widgets, the command line with stdout/stderr, tests with
// a recorder. Texts are UTF-8 (the analyser's own bytes converted where they
// are quoted, fuel/row_compare.h DeviceText); the front end shows them as
// plain text.
#pragma once

#include <string>

namespace quelt {

class FuelView {
 public:
  virtual ~FuelView() = default;
  virtual void ClearLog() = 0;
  virtual void AddLogLine(const std::string& line) = 0;
  virtual void SetProgress(int value) = 0;  // full scale kProgressFullScale
  virtual void SetBusyCursor(bool busy) = 0;
  // A modal message box with an OK button; returns when the user closed it.
  virtual void ShowMessage(const std::string& text) = 0;
  // A question with Yes and No, No the default; true for Yes.
  virtual bool Confirm(const std::string& question) = 0;
  virtual void EnableRefresh(bool enabled) = 0;
  virtual void EnableSend(bool enabled) = 0;
  // A transfer starts or ends: lock or unlock every control that starts a
  // transfer or changes the table (moves, edit, delete), whatever the outcome.
  virtual void SetTransferActive(bool active) = 0;
};

inline constexpr int kProgressFullScale = 15;

}  // namespace quelt
