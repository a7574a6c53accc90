// The port control in the status line: an editable combo box of the
// controller's port entries (control/port_chooser.h). Opening it lists the
// ports anew; choosing an entry or typing a port tells the controller, which
// remembers it.
#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "control/window_controller.h"

namespace quelt::ui {

class PortChooserBox : public QComboBox {
  Q_OBJECT
 public:
  PortChooserBox(control::WindowController& controller, QWidget* parent);

  void SetChoices(const std::vector<std::string>& texts, int chosen);
  // Its place in its parent panel.
  void Place(const QRect& place) { setGeometry(place); }

  void showPopup() override;

 private:
  control::WindowController& controller_;
  std::vector<std::string> shown_;  // the entries the box holds
};

}  // namespace quelt::ui
