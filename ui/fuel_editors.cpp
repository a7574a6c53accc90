#include "ui/fuel_editors.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QValidator>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "fuel/cp1252.h"
#include "fuel/funcs.h"
#include "fuel/row_check.h"

namespace quelt {
namespace {

bool IsIntegerField(FuelField field) {
  return field == FuelField::N || field == FuelField::ID || field == FuelField::Special;
}

QString DecimalSeparator(const QLocale& locale) { return locale.decimalPoint(); }

// A control character would end the row early on the wire (CR) or garble it.
bool IsDescriptionChar(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == U';') return false;
  return IsCp1252Representable(c);
}

// %g exactly as C's printf writes it.
QString PrintfG(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return QString::fromLatin1(buffer);
}

// A floating-point number with the locale's separator; the exponent is
// allowed because the editor lets the user type 'E'.
bool ReadDecimal(const QString& text, const QLocale& locale, double* value) {
  QString s = text;
  const QString separator = DecimalSeparator(locale);
  if (separator != QLatin1String(".")) {
    if (s.contains(QLatin1Char('.'))) return false;
    s.replace(separator, QLatin1String("."));
  }
  static const QRegularExpression kNumber(
      QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
  if (!kNumber.match(s).hasMatch()) return false;
  std::string ascii = s.toStdString();
  if (ascii.front() == '+') ascii.erase(0, 1);  // from_chars takes no '+'
  double result = 0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), result);
  if (error != std::errc{} || end != ascii.data() + ascii.size() || !std::isfinite(result)) {
    return false;
  }
  *value = result;
  return true;
}

}  // namespace

bool EditorAcceptsChar(FuelField field, QChar c, const QLocale& locale) {
  if (field == FuelField::Description) return IsDescriptionChar(c.unicode());
  const bool signOrDigit = c == QLatin1Char('+') || c == QLatin1Char('-') ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
  if (IsIntegerField(field)) return signOrDigit;
  return signOrDigit || c == QLatin1Char('E') || c == QLatin1Char('e') ||
         QString(c) == DecimalSeparator(locale);
}

bool EditorAcceptsText(FuelField field, const QString& text, const QLocale& locale) {
  for (QChar c : text) {
    if (!EditorAcceptsChar(field, c, locale)) return false;
  }
  return true;
}

QString FieldDisplayText(const FuelRow& row, FuelField field, const QLocale& locale) {
  // A number without a value travels as 0: it shows as the 0 that is sent,
  // never as a blank the analyser does not get.
  if (field == FuelField::Description) {
    if (row.IsNull(field)) return {};
    return QString::fromStdString(Cp1252ToUtf8(row.Description));
  }
  if (IsIntegerField(field)) return QString::number(row.Integer(field));
  // The wire text itself, rounded as it will be sent, with the workstation's
  // separator: what the grid shows is what the analyser gets.
  QString text =
      QString::fromStdString(FormatFixed(row.Decimal(field), InfoOf(field).wireDecimals));
  return text.replace(QLatin1Char(','), DecimalSeparator(locale));
}

FieldInput ReadFieldText(FuelField field, const QString& text, const QLocale& locale) {
  FieldInput input;
  const QString label = QString::fromUtf8(InfoOf(field).displayLabel);
  if (field == FuelField::Description) {
    // The editor lets no character in that Windows-1252 lacks.
    input.kind = FieldInput::Kind::Text;
    for (QChar c : text)
      input.text += static_cast<char>(CodePointToCp1252(c.unicode()).value_or('?'));
    return input;
  }
  if (text.isEmpty()) return input;  // no value

  if (IsDecimalField(field)) {
    if (ReadDecimal(text, locale, &input.decimal) && !DecimalWireProblem(field, input.decimal)) {
      input.kind = FieldInput::Kind::Decimal;
    } else {
      input.kind = FieldInput::Kind::Invalid;
      input.error =
          QStringLiteral("'%1' ist kein gültiger Fließkommawert für Feld '%2'").arg(text, label);
    }
    return input;
  }

  // Integers: the text must be a 32-bit integer, then fit the field's width.
  static const QRegularExpression kInteger(QStringLiteral("^[+-]?[0-9]+$"));
  bool ok = false;
  const qlonglong value = kInteger.match(text).hasMatch() ? text.toLongLong(&ok) : 0;
  if (!ok || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    input.kind = FieldInput::Kind::Invalid;
    input.error =
        QStringLiteral("'%1' ist kein gültiger Integerwert für Feld '%2'").arg(text, label);
    return input;
  }
  const bool wide = field == FuelField::ID;
  const double low =
      wide ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int16_t>::min();
  const double high =
      wide ? std::numeric_limits<std::int32_t>::max() : std::numeric_limits<std::int16_t>::max();
  if (static_cast<double>(value) < low || static_cast<double>(value) > high) {
    input.kind = FieldInput::Kind::Invalid;
    input.error = QStringLiteral(
                      "%1 ist kein gültiger Wert für das Feld '%2'. Der zulässige Bereich ist "
                      "%3 bis %4")
                      .arg(PrintfG(static_cast<double>(value)), label, PrintfG(low), PrintfG(high));
    return input;
  }
  input.kind = FieldInput::Kind::Integer;
  input.integer = value;
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

}  // namespace quelt
