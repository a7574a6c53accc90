#include "ui/fuel_editors.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QValidator>

namespace quelt::ui {

char32_t DecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point.isEmpty() ? U'.' : static_cast<char32_t>(point.front().unicode());
}

// The one gate every change passes (typing, paste, drop, undo, input
// methods): a text with a character the field cannot take is refused whole.
// QLineEdit asks only when the user changes the text; the texts the dialog
// sets itself always pass.
class FuelEditValidator : public QValidator {
 public:
  explicit FuelEditValidator(FuelEdit* edit) : QValidator(edit), edit_(edit) {}

  State validate(QString& input, int& cursor) const override {
    // The note names the first character the field cannot take.
    if (const auto refused = edit_->rules_.FirstRefused(edit_->field_, input.toStdString())) {
      edit_->Refuse(*refused);
      return Invalid;
    }
    // Past the description's length, what was just typed or pasted before
    // the cursor is cut, as a length limit does; checked after the refusal,
    // so that a character refused in a full field still gets its note.
    const qsizetype excess = input.size() - edit_->maxLength_;
    if (excess <= 0) return Acceptable;
    if (cursor < excess) return Invalid;
    input.remove(cursor - excess, excess);
    cursor -= static_cast<int>(excess);
    return Acceptable;
  }

 private:
  FuelEdit* edit_;
};

FuelEdit::FuelEdit(FuelField field, const control::RowEditor& rules, QWidget* parent)
    : QLineEdit(parent), field_(field), rules_(rules) {
  setValidator(new FuelEditValidator(this));
  if (field == FuelField::Description) maxLength_ = static_cast<qsizetype>(kDescriptionMax);
  // In a read-only dialog the editors only show the row, on the button face.
  const bool displayOnly = rules.ReadOnly();
  setReadOnly(!rules.Editable(field));
  setStyleSheet(
      QStringLiteral("QLineEdit { border: 1px solid black; color: black; "
                     "padding: 0px 1px; background: %1; }")
          .arg(displayOnly ? QStringLiteral("palette(button)") : QStringLiteral("white")));
  connect(this, &QLineEdit::textEdited, this, [this] { emit Changed(this); });
}

void FuelEdit::ShowValue(const QString& text) {
  setText(text);
  setCursorPosition(0);
}

void FuelEdit::keyPressEvent(QKeyEvent* event) {
  // A field the user may not change (a fuel's ID) takes the cursor: a
  // character typed there says why nothing happens.
  const QString typed = event->text();
  if (isReadOnly() && !typed.isEmpty() && typed.front().isPrint()) {
    const std::string note = rules_.LockedNote(field_);
    if (!note.empty()) {
      QApplication::beep();
      emit Refused(QString::fromStdString(note));
    }
  }
  QLineEdit::keyPressEvent(event);
}

void FuelEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Another window or a popup menu taking the focus is no exit from the editor.
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
    emit Left(this);
  }
}

void FuelEdit::Refuse(char32_t c) {
  QApplication::beep();
  emit Refused(QString::fromStdString(rules_.RefusalNote(field_, c)));
}

}  // namespace quelt::ui
