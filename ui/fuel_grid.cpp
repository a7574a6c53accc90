#include "ui/fuel_grid.h"

#include <optional>

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

#include "front/change_mark.h"
#include "front/layout.h"
#include "ui/icons.h"

namespace quelt::ui {

namespace {

// A marked row keeps its mark while selected: the mark is painted instead of
// the highlight. No focus frame around a single cell of a whole-row grid.
// A changed cell is bold (front/change_mark.h).
class MarkDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const auto* model = dynamic_cast<const FuelTableModel*>(index.model());
    if (front::kChangedBold && model != nullptr && model->Changed(index.row(), index.column())) {
      option->font.setBold(true);
    }
  }

 public:
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    opt.state &= ~QStyle::State_HasFocus;
    if (index.data(Qt::BackgroundRole).isValid()) opt.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, opt, index);
  }
};

// The row indicator column: empty sections, a triangle at the current row.
class RowIndicatorHeader : public QHeaderView {
 public:
  explicit RowIndicatorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    auto* m = dynamic_cast<FuelTableModel*>(model());
    if (m && logicalIndex == m->CurrentRow()) PaintRowIndicator(*painter, rect);
  }
};

}  // namespace

FuelGrid::FuelGrid(quelt::FuelTable& table, const std::function<int(int)>& scale, QWidget* parent)
    : QTableView(parent), table_(table), scale_(scale), model_(new FuelTableModel(table, this)) {
  setVerticalHeader(new RowIndicatorHeader(this));
  setModel(model_);
  setItemDelegate(new MarkDelegate(this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setWordWrap(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  // Tab leaves the grid for the next control; the arrow keys move within it.
  setTabKeyNavigation(false);

  QHeaderView* h = horizontalHeader();
  h->setSectionResizeMode(QHeaderView::Interactive);
  h->setStretchLastSection(false);
  h->setHighlightSections(false);
  h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  designWidths_.assign(static_cast<std::size_t>(quelt::kFuelFieldCount), 0);
  userWidths_.assign(designWidths_.size(), 0);
  connect(h, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
    if (!fitting_ && column >= 0 && column < static_cast<int>(userWidths_.size())) {
      userWidths_[static_cast<std::size_t>(column)] = width;
    }
  });

  QHeaderView* v = verticalHeader();
  v->setSectionResizeMode(QHeaderView::Fixed);
  v->setHighlightSections(false);
  v->setMinimumSectionSize(1);
  ApplyScale();  // fits the columns too

  // The selection stays as visible without the focus as with it.
  QPalette pal = palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight,
               pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
               pal.color(QPalette::Active, QPalette::HighlightedText));
  pal.setColor(QPalette::Text, Qt::black);
  setPalette(pal);

  // The hint belongs to the whole grid, cells and titles alike.
  viewport()->installEventFilter(this);
  h->viewport()->installEventFilter(this);
  v->viewport()->installEventFilter(this);

  table_.SetListener([this](quelt::FuelTable::Change change) { model_->TableChanged(change); });
  connect(model_, &FuelTableModel::CurrentRowChanged, this, &FuelGrid::SelectRow);
  connect(model_, &QAbstractItemModel::modelReset, this, &FuelGrid::FitColumns);
  connect(model_, &QAbstractItemModel::dataChanged, this, &FuelGrid::FitColumns);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) { OnCurrentChanged(current); });
  connect(this, &QWidget::customContextMenuRequested, this, &FuelGrid::OnContextMenu);
  SelectRow(model_->CurrentRow());
}

FuelGrid::~FuelGrid() { table_.SetListener({}); }

void FuelGrid::SelectRow(int row) {
  syncing_ = true;
  if (row < 0 || row >= model_->rowCount()) {
    selectionModel()->clear();
  } else {
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex index = model_->index(row, column);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
  }
  syncing_ = false;
}

void FuelGrid::ApplyScale() {
  horizontalHeader()->setMinimumSectionSize(scale_(8));
  const auto& fields = quelt::FuelFields();
  fitting_ = true;  // not a width the user chose
  for (int c = 0; c < quelt::kFuelFieldCount; ++c) {
    const auto i = static_cast<std::size_t>(c);
    designWidths_[i] = scale_(fields[i].gridWidth);
    setColumnWidth(c, designWidths_[i]);
  }
  fitting_ = false;
  QHeaderView* v = verticalHeader();
  v->setDefaultSectionSize(fontMetrics().height() + scale_(4));
  v->setMinimumWidth(scale_(front::kIndicatorWidth));
  v->setMaximumWidth(scale_(front::kIndicatorWidth));
  FitColumns();
}

// The design widths suit an 8 pt face; wider platform faces would
// cut numbers off, and one huge value must not keep its column wide once it
// is gone.
void FuelGrid::FitColumns() {
  fitting_ = true;
  const int description = static_cast<int>(quelt::FuelField::Description);
  int others = 0;
  int descriptionNeeds = 0;
  for (int c = 0; c < quelt::kFuelFieldCount; ++c) {
    const auto i = static_cast<std::size_t>(c);
    int width =
        qMax(designWidths_[i], qMax(sizeHintForColumn(c), horizontalHeader()->sectionSizeHint(c)));
    width = qMax(width, userWidths_[i]);
    if (c == description && userWidths_[i] == 0) {
      descriptionNeeds = width;
      continue;
    }
    if (columnWidth(c) != width) setColumnWidth(c, width);
    if (c != description) others += width;
  }
  if (descriptionNeeds > 0) {
    const int room = viewport()->width() - others;
    const int width = qMax(descriptionNeeds, room);
    if (columnWidth(description) != width) setColumnWidth(description, width);
  }
  fitting_ = false;
}

void FuelGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  FitColumns();
}

void FuelGrid::OnCurrentChanged(const QModelIndex& current) {
  if (syncing_ || !current.isValid()) return;
  if (locked_) {
    // Put the selection back once the view has finished its own change.
    QMetaObject::invokeMethod(
        this, [this] { SelectRow(model_->CurrentRow()); }, Qt::QueuedConnection);
    return;
  }
  if (current.row() != table_.CurrentIndex()) table_.MoveTo(current.row());
}

void FuelGrid::OnContextMenu(const QPoint& pos) {
  const QModelIndex index = indexAt(pos);
  if (index.isValid() && !locked_ && index.row() != table_.CurrentIndex())
    table_.MoveTo(index.row());
  emit PopupRequested(viewport()->mapToGlobal(pos));
}

void FuelGrid::keyPressEvent(QKeyEvent* event) {
  const auto mods = event->modifiers() & ~Qt::KeypadModifier;
  const bool ctrl = mods == Qt::ControlModifier;
  std::optional<control::Key> key;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      key = control::Key::Enter;
      break;
    case Qt::Key_F2:
      key = control::Key::F2;
      break;
    case Qt::Key_Delete:
      key = control::Key::Delete;
      break;
    default:
      break;
  }
  if (key && (ctrl || mods == Qt::NoModifier) && keyHandler_ && keyHandler_(*key, ctrl)) {
    event->accept();
    return;
  }
  if (locked_) {
    event->ignore();
    return;
  }
  QTableView::keyPressEvent(event);
}

void FuelGrid::mousePressEvent(QMouseEvent* event) {
  if (locked_) {
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

bool FuelGrid::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    // A marked row says what its colour means; elsewhere the grid's hint.
    auto* help = static_cast<QHelpEvent*>(event);
    QString text = toolTip();
    if (watched == viewport()) {
      const QString note = indexAt(help->pos()).data(Qt::ToolTipRole).toString();
      if (!note.isEmpty()) text = note;
    }
    QToolTip::showText(help->globalPos(), text, this);
    return true;
  }
  return QTableView::eventFilter(watched, event);
}

}  // namespace quelt::ui
