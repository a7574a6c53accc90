// The single-line editors of the fuel dialog: which characters each field
// takes, how a field's value is shown, and how an editor's text is read back.
#pragma once

#include <QLineEdit>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <string>

#include "fuel/fuel_row.h"

namespace quelt::ui {

// Special takes signs and digits; the decimal fields also the exponent letters
// and the locale's decimal separator; the description every printable
// Windows-1252 character except ';', which would split the row on the wire.
bool EditorAcceptsChar(FuelField field, QChar c, const QLocale& locale);
bool EditorAcceptsText(FuelField field, const QString& text, const QLocale& locale);

// What the grid and the editor show: the text that will be sent, so a number
// without a value shows as 0; decimal fields in their display pattern with
// the locale's decimal separator.
QString FieldDisplayText(const FuelRow& row, FuelField field, const QLocale& locale);

// An editor's text read as a value of its field.
struct FieldInput {
  enum class Kind { Null, Integer, Decimal, Text, Invalid };
  Kind kind = Kind::Null;
  std::int64_t integer = 0;
  double decimal = 0;
  std::string text;  // Windows-1252
  QString error;     // Invalid: the message the user sees
};
FieldInput ReadFieldText(FuelField field, const QString& text, const QLocale& locale);

class FuelEdit : public QLineEdit {
  Q_OBJECT

 public:
  FuelEdit(FuelField field, const QLocale& locale, QWidget* parent);

  FuelField Field() const { return field_; }
  // Set by the user's first change and kept until the dialog closes.
  bool IsModified() const { return modified_; }
  // The text differs from what the field holds.
  bool IsPending() const { return pending_; }
  void SetStored() { pending_ = false; }
  // Shows a field's text; clears both flags.
  void ShowValue(const QString& text);
  void SetDisplayOnly(bool displayOnly);

 signals:
  void Changed(quelt::ui::FuelEdit* editor);  // the user changed the text
  void Left(quelt::ui::FuelEdit* editor);     // the focus went to another control
  void Refused();                             // a character was refused (after the beep)

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  friend class FuelEditValidator;
  void Refuse();

  FuelField field_;
  QLocale locale_;
  bool modified_ = false;
  bool pending_ = false;
};

}  // namespace quelt::ui
