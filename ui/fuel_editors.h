// The single-line editors of the fuel dialog. Which characters a field takes
// is the row editor's rule (front's field rules with the locale's separator).
#pragma once

#include <QLineEdit>
#include <limits>

#include "control/row_editor.h"

namespace quelt::ui {

// The workstation's decimal separator.
char32_t DecimalSeparator();

class FuelEdit : public QLineEdit {
  Q_OBJECT

 public:
  FuelEdit(FuelField field, const control::RowEditor& rules, QWidget* parent);

  FuelField Field() const { return field_; }
  // Shows a field's text as the program sets it (no change of the user's).
  void ShowValue(const QString& text);

 signals:
  void Changed(quelt::ui::FuelEdit* editor);  // the user changed the text
  void Left(quelt::ui::FuelEdit* editor);     // the focus went to another control
  void Refused(const QString& note);          // a character was refused: why

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  friend class FuelEditValidator;
  void Refuse(char32_t c);

  FuelField field_;
  const control::RowEditor& rules_;
  // The most characters the field holds (the description's length). Not
  // QLineEdit's own limit: that drops a character before the check sees it,
  // and a refused one would go without its note.
  qsizetype maxLength_ = std::numeric_limits<qsizetype>::max();
};

}  // namespace quelt::ui
