// FuelEditorDialog: the modal editor of one fuel row, the Qt face of a
// RowEditor (control/row_editor.h), which stores or drops the changes.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "control/editor_flow.h"

class QLabel;
class QPushButton;

namespace quelt::ui {

class FuelEdit;

class FuelEditorDialog : public QDialog, private control::EditorFace {
  Q_OBJECT

 public:
  explicit FuelEditorDialog(control::RowEditor& editor, QWidget* parent = nullptr);
  ~FuelEditorDialog() override;

  // Places the controls for `dpi` (front::LayoutDialog) and fixes the
  // dialog's size to the result.
  void ApplyLayout(int dpi);
  int LayoutDpi() const { return layoutDpi_; }

  // OK: refused while an editor holds a text its field cannot take.
  void accept() override;

  FuelEdit* Editor(FuelField field) const;
  // Why the last character was refused; empty once the user typed on.
  QLabel* Note() const { return note_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FollowScreen();

  // control::EditorFace
  std::string EditorText(FuelField field) override;
  void ShowEditorText(FuelField field, const std::string& utf8) override;
  void ClearNote() override;
  control::Answer Ask(const control::Message& message) override;
  void ReturnTo(FuelField field) override;
  void ComplainLater(FuelField field) override;

  control::RowEditor& rows_;
  control::EditorFlow flow_;
  std::array<FuelEdit*, 10> editors_{};  // in tab order
  QPushButton* cancel_ = nullptr;
  QPushButton* ok_ = nullptr;
  QLabel* note_ = nullptr;
  std::vector<QWidget*> placed_;  // one per item of the layout table, in its order
  int layoutDpi_ = 0;
  bool screenHooked_ = false;
};

// Runs the dialog on `editor` until it closes; true: OK.
bool RunFuelEditor(control::RowEditor& editor, QWidget* parent = nullptr);

}  // namespace quelt::ui
