#include "ui/port_chooser.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "lang/tr.h"

namespace quelt::ui {

PortChooserBox::PortChooserBox(control::WindowController& controller, QWidget* parent)
    : QComboBox(parent), controller_(controller) {
  setObjectName(QStringLiteral("PortChooser"));
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  connect(this, &QComboBox::activated, this, [this](int index) { controller_.ChoosePort(index); });
  // A port not in the list is typed (COM9, /dev/ttyS0): Enter or leaving the
  // box hands the text to the controller, which chooses or takes it.
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  connect(lineEdit(), &QLineEdit::editingFinished, this,
          [this] { controller_.TypePort(currentText().toStdString()); });
}

void PortChooserBox::SetChoices(const std::vector<std::string>& texts, int chosen) {
  const QSignalBlocker quiet(this);
  // Filled anew only when the entries changed: an open list keeps its place.
  if (texts != shown_) {
    shown_ = texts;
    clear();
    for (const std::string& t : texts) addItem(QString::fromStdString(t));
  }
  setCurrentIndex(chosen);
}

void PortChooserBox::showPopup() {
  // The ports of now: an adapter plugged in since is there to choose.
  controller_.PortListOpened();
  QComboBox::showPopup();
}

}  // namespace quelt::ui
