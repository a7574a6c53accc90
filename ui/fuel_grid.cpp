#include "ui/fuel_grid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

#include "front/fitting.h"
#include "front/layout.h"
#include "ui/icons.h"

namespace quelt::ui {

namespace {

// A marked row keeps its mark while selected: the mark is painted instead of
// the highlight. No focus frame around a single cell of a whole-row grid.
// A changed cell is bold.
class MarkDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const auto* model = dynamic_cast<const FuelTableModel*>(index.model());
    if (model != nullptr && model->Cells().Look(index.row(), index.column()).bold) {
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

FuelGrid::FuelGrid(control::WindowController& controller, const std::function<int(int)>& scale,
                   QWidget* parent)
    : QTableView(parent),
      controller_(controller),
      scale_(scale),
      model_(new FuelTableModel(controller, this)) {
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

  connect(model_, &FuelTableModel::CurrentRowChanged, this, &FuelGrid::SelectRow);
  connect(model_, &QAbstractItemModel::modelReset, this, &FuelGrid::FitColumns);
  connect(model_, &QAbstractItemModel::dataChanged, this, &FuelGrid::FitColumns);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) { OnCurrentChanged(current); });
  connect(this, &QWidget::customContextMenuRequested, this, &FuelGrid::OnContextMenu);
  // A double-click on a row opens the editor on it, once the click is over.
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (const auto command = model_->Cells().DoubleClicked(index.row())) {
      QMetaObject::invokeMethod(
          this, [this, c = *command] { controller_.Do(c); }, Qt::QueuedConnection);
    }
  });
  SelectRow(model_->CurrentRow());
}

FuelGrid::~FuelGrid() = default;

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
  std::vector<int> design;
  for (const front::GridColumn& column : front::GridColumns())
    design.push_back(scale_(column.width));
  widths_.Reset(std::move(design));
  QHeaderView* v = verticalHeader();
  v->setDefaultSectionSize(fontMetrics().height() + scale_(4));
  v->setMinimumWidth(scale_(front::kIndicatorWidth));
  v->setMaximumWidth(scale_(front::kIndicatorWidth));
  FitColumns();
}

void FuelGrid::FitColumns() {
  const std::vector<int> widths = widths_.FitAll(
      [this](std::size_t c) {
        const int i = static_cast<int>(c);
        return qMax(sizeHintForColumn(i), horizontalHeader()->sectionSizeHint(i));
      },
      [this](std::size_t c) { return columnWidth(static_cast<int>(c)); }, viewport()->width(),
      front::kFillingColumn);
  for (int c = 0; c < static_cast<int>(widths.size()); ++c) {
    if (columnWidth(c) != widths[static_cast<std::size_t>(c)])
      setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
  }
}

void FuelGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  FitColumns();
}

void FuelGrid::OnCurrentChanged(const QModelIndex& current) {
  if (syncing_ || !current.isValid() || model_->Cells().Pick(current.row())) return;
  // Put the selection back once the view has finished its own change.
  QMetaObject::invokeMethod(
      this, [this] { SelectRow(model_->CurrentRow()); }, Qt::QueuedConnection);
}

void FuelGrid::OnContextMenu(const QPoint& pos) {
  // No menu while a transfer runs, as in the Win32 window: none of its
  // items could run.
  if (!model_->Cells().Pick(indexAt(pos).row())) return;
  emit PopupRequested(viewport()->mapToGlobal(pos));
}

void FuelGrid::keyPressEvent(QKeyEvent* event) {
  static constexpr std::pair<int, control::Key> kGridKeys[] = {
      {Qt::Key_Return, control::Key::Enter},
      {Qt::Key_Enter, control::Key::Enter},
      {Qt::Key_F2, control::Key::F2},
      {Qt::Key_Delete, control::Key::Delete}};
  const auto mods = event->modifiers() & ~Qt::KeypadModifier;
  const bool ctrl = mods == Qt::ControlModifier;
  for (const auto& [qtKey, key] : kGridKeys) {
    // The window's key table decides what the grid's own keys do.
    if (event->key() == qtKey && (ctrl || mods == Qt::NoModifier) &&
        controller_.KeyPressed(key, ctrl, true)) {
      event->accept();
      return;
    }
  }
  if (frozen_) {
    event->ignore();
    return;
  }
  QTableView::keyPressEvent(event);
}

void FuelGrid::mousePressEvent(QMouseEvent* event) {
  if (frozen_) {
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
