// The operations' side of the window: what FuelOperations reports while it
// runs (log lines, progress, cursor, the buttons it enables, the transfer's
// start and end, its questions and messages) reaches the face from here.
#pragma once

#include <string>

#include "control/window_part.h"
#include "fuel/fuel_view.h"

namespace quelt::control {

class OperationsView : public FuelView, public WindowPart {
 public:
  using WindowPart::WindowPart;

  void ClearLog() override;
  void AddLogLine(const std::string& line) override;
  void SetProgress(int value) override;
  void SetBusyCursor(bool busy) override;
  // Every message of the operations reports a failure.
  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  void EnableRefresh(bool enabled) override;
  void EnableSend(bool enabled) override;
  // The transfer lock; a close asked for during the transfer follows from
  // the outer event loop once the operation has returned.
  void SetTransferActive(bool active) override;
};

}  // namespace quelt::control
