#include "ui/fuel_table_model.h"

#include <QColor>

#include "front/layout.h"
#include "ui/fuel_editors.h"

namespace quelt::ui {

namespace {

// Numbers on the right, the description on the left, as the shared column
// table says (front::GridColumns).
QVariant AlignmentOf(int column) {
  const bool right = front::GridColumns().at(static_cast<std::size_t>(column)).alignRight;
  return QVariant::fromValue((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
}

QVariant ColourOf(const std::optional<front::Rgb>& c) {
  if (!c) return {};
  return QColor(c->r, c->g, c->b);
}

}  // namespace

FuelTableModel::FuelTableModel(control::WindowController& controller, QObject* parent)
    : QAbstractTableModel(parent),
      controller_(controller),
      cells_(controller, DecimalSeparator()) {}

int FuelTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : controller_.GridRows();
}

int FuelTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : quelt::kFuelFieldCount;
}

QVariant FuelTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row(), column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(cells_.Text(row, column));
    case Qt::TextAlignmentRole:
      return AlignmentOf(column);
    case Qt::BackgroundRole:
      return ColourOf(cells_.RowLook(row).background);
    case Qt::ForegroundRole:
      return ColourOf(cells_.Look(row, column).text);
    case Qt::ToolTipRole: {
      const std::string note = cells_.Note(row);
      return note.empty() ? QVariant() : QString::fromStdString(note);
    }
    default:
      return {};
  }
}

QVariant FuelTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical) return {};  // the row indicator draws itself
  if (section < 0 || section >= quelt::kFuelFieldCount) return {};
  if (role == Qt::DisplayRole) {
    return QString::fromLatin1(quelt::FuelFields().at(static_cast<std::size_t>(section)).gridTitle);
  }
  // A title stands over its values.
  if (role == Qt::TextAlignmentRole) return AlignmentOf(section);
  return {};
}

Qt::ItemFlags FuelTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void FuelTableModel::ShowStep(const control::GridFollower::Step& step) {
  if (step.reset) {
    beginResetModel();
    endResetModel();
  }
  if (step.redraw >= 0) {
    emit dataChanged(index(step.redraw, 0), index(step.redraw, quelt::kFuelFieldCount - 1));
  }
  if (!step.Moved()) return;
  if (step.before >= 0 && step.before < step.rows) {
    emit headerDataChanged(Qt::Vertical, step.before, step.before);
  }
  if (step.current >= 0) emit headerDataChanged(Qt::Vertical, step.current, step.current);
  emit CurrentRowChanged(step.current);
}

}  // namespace quelt::ui
