// The window's port control: its entries and tip on the face, the user's
// choice (or typed port) remembered in the settings, and the port made
// ready before an operation opens it. Nothing is chosen during a transfer.
#pragma once

#include <string>

#include "control/window_part.h"

namespace quelt::control {

class PortCommands : public WindowPart {
 public:
  using WindowPart::WindowPart;

  // The window appeared: the port remembered from the last run.
  void Start();
  // The user opens the control: the list is made anew.
  void ListOpened();
  // The user chooses entry `index` of PortChooser::Texts().
  void Choose(int index);
  // The user typed a port into the control.
  void Type(const std::string& text);
  // Before an operation opens the port (PortChooser::Prepare): the line for
  // the log when the chosen port is gone ("" otherwise).
  std::string Prepare();

 private:
  // Remembers `remembered` (when there is something new) and shows the control.
  void Chosen(const std::optional<std::string>& remembered);
  // The port control's entries to the face.
  void Show();
};

}  // namespace quelt::control
