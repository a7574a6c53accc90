// FuelGrid: the fuel table's grid. Whole-row single selection that follows
// the table's current row and moves it, a row indicator at the left, the
// colour marks kept while selected, its keys and the popup request.
#pragma once

#include <QTableView>
#include <functional>
#include <vector>

#include "control/keys.h"
#include "control/window_controller.h"
#include "front/fitting.h"
#include "ui/fuel_table_model.h"

namespace quelt::ui {

class FuelGrid : public QTableView {
  Q_OBJECT
 public:
  // `scale` turns 96 dpi pixels into the screen's.
  FuelGrid(control::WindowController& controller, const std::function<int(int)>& scale,
           QWidget* parent = nullptr);
  ~FuelGrid() override;

  FuelTableModel* Model() const { return model_; }

 signals:
  void PopupRequested(const QPoint& global);  // right click (row already current)

 public:
  // The columns fit their titles and values (front::ColumnWidths).
  void FitColumns();
  // The design widths and the row height for the screen's resolution now.
  void ApplyScale();
  // A transfer runs: the grid keeps the row the transfer walks by, so keys
  // and clicks that would move it are ignored.
  void SetFrozen(bool frozen) { frozen_ = frozen; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SelectRow(int row);
  void OnCurrentChanged(const QModelIndex& current);
  void OnContextMenu(const QPoint& pos);

  control::WindowController& controller_;
  std::function<int(int)> scale_;
  FuelTableModel* model_;
  front::ColumnWidths widths_;
  bool syncing_ = false;
  bool frozen_ = false;
};

}  // namespace quelt::ui
