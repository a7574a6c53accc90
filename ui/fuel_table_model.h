// The fuel table as a Qt item model: one column per field, display patterns
// with the workstation's decimal separator, and the rows' colour marks. It
// reads the table live and redraws when the table says what changed.
#pragma once

#include <QAbstractTableModel>
#include <QLocale>
#include <functional>

#include "control/grid_follower.h"
#include "fuel/fuel_table.h"

namespace quelt::ui {

class FuelTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit FuelTableModel(quelt::FuelTable& table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The table's notification; afterwards CurrentRow() is the table's current row.
  void TableChanged(quelt::FuelTable::Change change);
  int CurrentRow() const { return grid_.Current(); }

  // Which cells carry the change mark (front/change_mark.h).
  void SetChangeRule(std::function<bool(int row, quelt::FuelField field)> changed) {
    changed_ = std::move(changed);
  }
  bool Changed(int row, int column) const;

 signals:
  void CurrentRowChanged(int row);

 private:
  quelt::FuelTable& table_;
  control::GridFollower grid_;
  char32_t separator_;  // the workstation's decimal separator
  std::function<bool(int, quelt::FuelField)> changed_;
};

}  // namespace quelt::ui
