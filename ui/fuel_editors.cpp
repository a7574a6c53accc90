#include "ui/fuel_editors.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QValidator>

#include "front/field_rules.h"

namespace quelt::ui {
namespace {

// The workstation's decimal separator as the shared field rules take it.
char32_t Separator(const QLocale& locale) {
  const QString point = locale.decimalPoint();
  return point.isEmpty() ? U'.' : static_cast<char32_t>(point.front().unicode());
}

}  // namespace

// The rules themselves are shared with the Windows window (front/field_rules.h).
bool EditorAcceptsChar(FuelField field, QChar c, const QLocale& locale) {
  return front::EditorAcceptsChar(field, c.unicode(), Separator(locale));
}

bool EditorAcceptsText(FuelField field, const QString& text, const QLocale& locale) {
  for (QChar c : text) {
    if (!EditorAcceptsChar(field, c, locale)) return false;
  }
  return true;
}

QString FieldDisplayText(const FuelRow& row, FuelField field, const QLocale& locale) {
  return QString::fromStdString(front::FieldDisplayText(row, field, Separator(locale)));
}

FieldInput ReadFieldText(FuelField field, const QString& text, const QLocale& locale) {
  const front::FieldInput in = front::ReadFieldText(field, text.toStdString(), Separator(locale));
  FieldInput input;
  input.integer = in.integer;
  input.decimal = in.decimal;
  input.text = in.text;
  input.error = QString::fromStdString(in.error);
  switch (in.kind) {
    case front::FieldInput::Kind::Null:
      input.kind = FieldInput::Kind::Null;
      break;
    case front::FieldInput::Kind::Integer:
      input.kind = FieldInput::Kind::Integer;
      break;
    case front::FieldInput::Kind::Decimal:
      input.kind = FieldInput::Kind::Decimal;
      break;
    case front::FieldInput::Kind::Text:
      input.kind = FieldInput::Kind::Text;
      break;
    case front::FieldInput::Kind::Invalid:
      input.kind = FieldInput::Kind::Invalid;
      break;
  }
  return input;
}

// The one gate every change passes (typing, paste, drop, undo, input
// methods): a text with a character the field cannot take is refused whole.
// QLineEdit asks only when the user changes the text; the texts the dialog
// sets itself always pass.
class FuelEditValidator : public QValidator {
 public:
  explicit FuelEditValidator(FuelEdit* edit) : QValidator(edit), edit_(edit) {}

  State validate(QString& input, int&) const override {
    if (EditorAcceptsText(edit_->field_, input, edit_->locale_)) return Acceptable;
    edit_->Refuse();
    return Invalid;
  }

 private:
  FuelEdit* edit_;
};

FuelEdit::FuelEdit(FuelField field, const QLocale& locale, QWidget* parent)
    : QLineEdit(parent), field_(field), locale_(locale) {
  setValidator(new FuelEditValidator(this));
  if (field == FuelField::Description) setMaxLength(static_cast<int>(kDescriptionMax));
  SetDisplayOnly(false);
  connect(this, &QLineEdit::textEdited, this, [this] {
    modified_ = true;
    pending_ = true;
    emit Changed(this);
  });
}

void FuelEdit::ShowValue(const QString& text) {
  setText(text);
  setCursorPosition(0);
  modified_ = false;
  pending_ = false;
}

void FuelEdit::SetDisplayOnly(bool displayOnly) {
  if (displayOnly) setReadOnly(true);
  setStyleSheet(
      QStringLiteral("QLineEdit { border: 1px solid black; color: black; "
                     "padding: 0px 1px; background: %1; }")
          .arg(displayOnly ? QStringLiteral("palette(button)") : QStringLiteral("white")));
}

void FuelEdit::keyPressEvent(QKeyEvent* event) {
  const auto mods = event->modifiers();
  const bool shortcut =
      (mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier);
  if (!isReadOnly() && !shortcut) {
    for (QChar c : event->text()) {
      if (c.isPrint() && !EditorAcceptsChar(field_, c, locale_)) {
        Refuse();
        event->accept();
        return;
      }
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

void FuelEdit::Refuse() {
  QApplication::beep();
  emit Refused();
}

}  // namespace quelt::ui
