// The Backups view in Qt: the list of the analyser's backups, the selected
// one's table, Restore, Load into grid and Compare with analyser;
// control::BackupsView decides.
#pragma once

#include <QDialog>

#include "control/backups_view.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;

namespace quelt::ui {

class BackupsDialog : public QDialog {
  Q_OBJECT
 public:
  BackupsDialog(control::WindowController& controller, QWidget* parent);

  QTreeWidget* List() const { return list_; }
  QTableWidget* Rows() const { return rows_; }
  QPushButton* RestoreButton() const { return restore_; }
  QPushButton* LoadButton() const { return load_; }
  QPushButton* CompareButton() const { return compare_; }

 private:
  void Fill();
  void ShowSelected();

  control::BackupsView view_;
  QLabel* heading_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QTableWidget* rows_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* restore_ = nullptr;
  QPushButton* load_ = nullptr;
  QPushButton* compare_ = nullptr;
};

}  // namespace quelt::ui
