// TFormBrennstoffdialog: the modal editor of one fuel row, and EditFuelRow,
// which opens it on the table's current row and stores or drops the changes.
#pragma once

#include <QDialog>
#include <QLocale>
#include <QRect>
#include <QSize>
#include <array>
#include <vector>

#include "fuel/fuel_table.h"

class QPushButton;

namespace quelt::ui {

class FuelEdit;

// Where every control sits, in client pixels for a screen of `dpi` dots per
// inch. The client area is the whole designed 318 x 276 layout scaled, so no
// control is cut off at any resolution.
struct DialogLayout {
  struct Item {
    const char* name;  // the control's objectName
    QRect rect;
  };
  QSize client;
  std::vector<Item> items;
  QRect Rect(const char* name) const;  // empty rect for an unknown name
};
DialogLayout ComputeDialogLayout(int dpi);

class TFormBrennstoffdialog : public QDialog {
  Q_OBJECT

 public:
  explicit TFormBrennstoffdialog(QWidget* parent = nullptr);
  ~TFormBrennstoffdialog() override;

  // The editors only show the row.
  void SetReadOnly();
  // DataSource: the editors show the table's current row and edit it in place.
  void Bind(FuelTable* table);
  void Unbind();
  bool AnyModified() const;

  // Places the controls for `dpi` and fixes the dialog's size to the result.
  void ApplyLayout(int dpi);
  int LayoutDpi() const { return layoutDpi_; }

  // OK: refused while an editor holds a text its field cannot take.
  void accept() override;

  FuelEdit* Editor(FuelField field) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void BtCancelClick();

 private:
  void FormResize();
  void EditorChanged(FuelEdit* editor);
  void EditorLeft(FuelEdit* editor);
  // Writes a changed editor's text into its field; false, with the message
  // for the user, when the text is not a value of the field.
  bool StoreEditor(FuelEdit* editor, QString* message);
  void ShowFieldError(FuelEdit* editor, const QString& message);
  void ShowRow();

  // In tab order.
  std::array<FuelEdit*, 10> editors_{};
  QPushButton* btCancel_ = nullptr;
  QPushButton* btOk_ = nullptr;
  FuelTable* table_ = nullptr;
  QLocale locale_;
  int layoutDpi_ = 0;
  bool screenHooked_ = false;
};

// Opens the dialog on the current row of `table`, waits until it closes, then
// posts the row (OK with a change) or drops every pending change.
void EditFuelRow(FuelTable& table, bool readOnly, QWidget* parent = nullptr);

}  // namespace quelt::ui
