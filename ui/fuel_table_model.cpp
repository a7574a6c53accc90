#include "ui/fuel_table_model.h"

#include "control/change_marks.h"
#include "front/change_mark.h"
#include "front/grid_mark.h"
#include "fuel/status_text.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "text/cp1252.h"
#include "ui/fuel_editors.h"

namespace quelt::ui {

std::optional<RowMark> MarkOf(const FuelRow& row) {
  // The rule and its colours are shared with the Windows window.
  const auto mark = quelt::front::MarkOf(row);
  if (!mark) return std::nullopt;
  auto colour = [](quelt::front::Rgb c) { return QColor(c.r, c.g, c.b); };
  return RowMark{colour(mark->background), colour(mark->text)};
}

FuelTableModel::FuelTableModel(FuelTable& table, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      rows_(table.RecordCount()),
      current_(table.CurrentIndex()),
      separator_(DecimalSeparator()) {}

int FuelTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
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
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(control::GridCellText(
          *row, quelt::FuelFields().at(static_cast<std::size_t>(index.column())).field, separator_,
          Changed(index.row(), index.column())));

    case Qt::TextAlignmentRole: {
      const auto field = quelt::FuelFields().at(static_cast<std::size_t>(index.column())).field;
      const Qt::Alignment h = field == FuelField::Description ? Qt::AlignLeft : Qt::AlignRight;
      return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    case Qt::BackgroundRole:
      if (auto mark = MarkOf(*row)) return mark->background;
      return {};
    case Qt::ForegroundRole:
      if (auto mark = MarkOf(*row)) return mark->text;
      if (Changed(index.row(), index.column())) {
        const front::Rgb c = front::kChangedText;
        return QColor(c.r, c.g, c.b);
      }
      return {};
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
  const int before = current_;
  // A row count that changed under any notification needs a full redraw.
  if (table_.RecordCount() != rows_) change = FuelTable::Change::Reset;
  switch (change) {
    case FuelTable::Change::Reset:
      beginResetModel();
      rows_ = table_.RecordCount();
      endResetModel();
      break;
    case FuelTable::Change::RowValues:
      if (table_.CurrentIndex() >= 0 && table_.CurrentIndex() < rows_) {
        emit dataChanged(index(table_.CurrentIndex(), 0),
                         index(table_.CurrentIndex(), quelt::kFuelFieldCount - 1));
      }
      break;
    case FuelTable::Change::Current:
      break;
  }
  current_ = table_.CurrentIndex();
  if (current_ >= rows_) current_ = -1;  // a row being inserted is not shown yet
  if (before != current_ || change == FuelTable::Change::Reset) {
    if (before >= 0 && before < rows_) emit headerDataChanged(Qt::Vertical, before, before);
    if (current_ >= 0) emit headerDataChanged(Qt::Vertical, current_, current_);
    emit CurrentRowChanged(current_);
  }
}

}  // namespace quelt::ui
