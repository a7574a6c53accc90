// FuelGrid: the fuel table's grid. Whole-row single selection that follows
// the table's current row and moves it, a row indicator at the left, the
// colour marks kept while selected, its keys and the popup request.
#pragma once

#include <QTableView>
#include <functional>
#include <vector>

#include "control/keys.h"
#include "fuel/fuel_table.h"
#include "ui/fuel_table_model.h"

namespace quelt::ui {

class FuelGrid : public QTableView {
  Q_OBJECT
 public:
  // `scale` turns 96 dpi pixels into the screen's.
  FuelGrid(quelt::FuelTable& table, const std::function<int(int)>& scale,
           QWidget* parent = nullptr);
  ~FuelGrid() override;

  FuelTableModel* Model() const { return model_; }
  // While a transfer walks the table by its current row, the user must not
  // move that row: clicks and keys leave the selection where it is.
  void SetLocked(bool locked) { locked_ = locked; }
  // The keys of the window's key table pressed in the grid (Enter, F2,
  // Ctrl+Delete); true when the key was used.
  void SetKeyHandler(std::function<bool(control::Key, bool ctrl)> handler) {
    keyHandler_ = std::move(handler);
  }

 signals:
  void PopupRequested(const QPoint& global);  // right click (row already current)

 public:
  // Every column fits its title and its widest cell, never below its design
  // width, growing and shrinking with the values; a width the user dragged
  // stays unless the values need more. The description takes the room left.
  void FitColumns();
  // The design widths and the row height for the screen's resolution now.
  void ApplyScale();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SelectRow(int row);
  void OnCurrentChanged(const QModelIndex& current);
  void OnContextMenu(const QPoint& pos);

  quelt::FuelTable& table_;
  std::function<int(int)> scale_;
  FuelTableModel* model_;
  std::vector<int> designWidths_;
  std::vector<int> userWidths_;  // 0: the user has not dragged the column
  std::function<bool(control::Key, bool)> keyHandler_;
  bool fitting_ = false;
  bool locked_ = false;
  bool syncing_ = false;
};

}  // namespace quelt::ui
