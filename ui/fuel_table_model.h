// The fuel table as a Qt item model: one column per field, the cells as
// control::GridCells gives them (texts, colours, notes). It reads the table
// live and redraws when the table says what changed.
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

  // The table's notification; afterwards CurrentRow() is the table's current row.
  void TableChanged(quelt::FuelTable::Change change);
  int CurrentRow() const { return grid_.Current(); }
  control::GridCells& Cells() { return cells_; }
  const control::GridCells& Cells() const { return cells_; }

 signals:
  void CurrentRowChanged(int row);

 private:
  control::GridFollower grid_;
  control::GridCells cells_;
};

}  // namespace quelt::ui
