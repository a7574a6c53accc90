// The fuel table as a Qt item model: one column per field, the cells as
// control::GridCells gives them (texts, colours, notes). It reads the table
// live through the controller and redraws the steps the controller shows.
#pragma once

#include <QAbstractTableModel>

#include "control/grid_cells.h"
#include "control/grid_follower.h"

namespace quelt::ui {

class FuelTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit FuelTableModel(control::WindowController& controller, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The controller's step (control::WindowFace::ShowGridStep), taken: the
  // rows and CurrentRow() are already the new ones.
  void ShowStep(const control::GridFollower::Step& step);
  int CurrentRow() const { return controller_.GridCurrent(); }
  control::GridCells& Cells() { return cells_; }
  const control::GridCells& Cells() const { return cells_; }

 signals:
  void CurrentRowChanged(int row);

 private:
  const control::WindowController& controller_;
  control::GridCells cells_;
};

}  // namespace quelt::ui
