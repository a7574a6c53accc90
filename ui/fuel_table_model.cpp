#include "ui/fuel_table_model.h"

#include <QColor>

#include "control/change_marks.h"
#include "front/main_look.h"
#include "fuel/status_text.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "text/cp1252.h"
#include "ui/fuel_editors.h"

namespace quelt::ui {

namespace {

QVariant ColourOf(const std::optional<front::Rgb>& c) {
  if (!c) return {};
  return QColor(c->r, c->g, c->b);
}

}  // namespace

FuelTableModel::FuelTableModel(FuelTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), grid_(table), separator_(DecimalSeparator()) {}

int FuelTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.Rows();
}

int FuelTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : quelt::kFuelFieldCount;
}

bool FuelTableModel::Changed(int row, int column) const {
  if (!changed_ || column < 0 || column >= quelt::kFuelFieldCount) return false;
  return changed_(row, quelt::FuelFields().at(static_cast<std::size_t>(column)).field);
}

QVariant FuelTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const FuelRow* row = control::ShownRow(table_, index.row());
  if (!row) return {};
  const FuelField field = quelt::FuelFields().at(static_cast<std::size_t>(index.column())).field;
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(
          control::GridCellText(*row, field, separator_, Changed(index.row(), index.column())));
    case Qt::TextAlignmentRole: {
      const Qt::Alignment h = field == FuelField::Description ? Qt::AlignLeft : Qt::AlignRight;
      return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    case Qt::BackgroundRole:
      return ColourOf(front::LookOf(*row, false).background);
    case Qt::ForegroundRole:
      return ColourOf(front::LookOf(*row, Changed(index.row(), index.column())).text);
    case Qt::ToolTipRole: {
      const std::string note = quelt::RowMarkNote(*row);
      if (note.empty()) return {};
      // TRANSLATORS: a cell's note in the grid's tool tip; {1} is the row's number.
      return QString::fromStdString(lang::Format(lang::Tr("Row {1}: {2}"), index.row() + 1, note));
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
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags FuelTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void FuelTableModel::TableChanged(FuelTable::Change change) {
  const control::GridFollower::Step step = grid_.Next(change);
  if (step.reset) beginResetModel();
  grid_.Take(step);
  if (step.reset) endResetModel();
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
