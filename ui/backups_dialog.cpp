#include "ui/backups_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "control/box_buttons.h"
#include "control/window_controller.h"
#include "text/text_helpers.h"
#include "ui/fuel_editors.h"
#include "ui/utf8_text.h"

namespace quelt::ui {
BackupsDialog::BackupsDialog(control::WindowController& controller, QWidget* parent)
    : QDialog(parent), view_(controller, DecimalSeparator()) {
  setObjectName(QStringLiteral("BackupsDialog"));
  setWindowTitle(Utf8(control::BackupsView::Caption()));
  auto* layout = new QVBoxLayout(this);
  heading_ = new QLabel(this);
  heading_->setTextFormat(Qt::PlainText);
  heading_->setWordWrap(true);
  layout->addWidget(heading_);

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("BackupsList"));
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setHeaderLabels(Utf8List(control::BackupsView::ListTitles()));
  layout->addWidget(list_, 2);

  rows_ = new QTableWidget(this);
  rows_->setObjectName(QStringLiteral("BackupRows"));
  rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  rows_->setSelectionMode(QAbstractItemView::NoSelection);
  rows_->verticalHeader()->hide();
  // Rows as compact as the main grid's, titles over the values' start.
  rows_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() +
                                                 quelt::ScaleForDpi(4, logicalDpiY()));
  rows_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  rows_->setColumnCount(kFuelFieldCount);
  rows_->setHorizontalHeaderLabels(Utf8List(control::BackupsView::RowTitles()));
  layout->addWidget(rows_, 3);

  note_ = new QLabel(this);
  note_->setTextFormat(Qt::PlainText);
  note_->setWordWrap(true);
  note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(note_);

  auto* buttons = new QDialogButtonBox(this);
  restore_ = buttons->addButton(Utf8(control::ButtonWord(control::Answer::Restore)),
                                QDialogButtonBox::ActionRole);
  restore_->setObjectName(QStringLiteral("RestoreButton"));
  restore_->setToolTip(Utf8(control::BackupsView::RestoreHint()));
  load_ = buttons->addButton(Utf8(control::BackupsView::LoadWord()), QDialogButtonBox::ActionRole);
  load_->setObjectName(QStringLiteral("LoadButton"));
  load_->setToolTip(Utf8(control::BackupsView::LoadHint()));
  compare_ =
      buttons->addButton(Utf8(control::BackupsView::CompareWord()), QDialogButtonBox::ActionRole);
  compare_->setObjectName(QStringLiteral("CompareButton"));
  compare_->setToolTip(Utf8(control::BackupsView::CompareHint()));
  compare_->setAutoDefault(false);
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  close->setText(Utf8(control::ButtonWord(control::Answer::Close)));
  // Enter closes the view: a restore writes the analyser, never by default.
  restore_->setAutoDefault(false);
  load_->setAutoDefault(false);
  close->setDefault(true);
  layout->addWidget(buttons);

  connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
    view_.Select(list_->indexOfTopLevelItem(list_->currentItem()));
    ShowSelected();
  });
  connect(restore_, &QPushButton::clicked, this, [this] {
    view_.Restore();
    Fill();
  });
  connect(load_, &QPushButton::clicked, this, [this] {
    if (view_.Load()) accept();
  });
  connect(compare_, &QPushButton::clicked, this, [this] { view_.Compare(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  // The design's size, made smaller where the screen is.
  const QRect area = screen()->availableGeometry();
  resize(qMin(quelt::ScaleForDpi(control::BackupsView::kWidth, logicalDpiY()), area.width()),
         qMin(quelt::ScaleForDpi(control::BackupsView::kHeight, logicalDpiY()), area.height()));
  Fill();
}

void BackupsDialog::Fill() {
  heading_->setText(Utf8(view_.Heading()));
  const int selected = view_.Selected();
  QSignalBlocker quiet(list_);
  list_->clear();
  for (const BackupEntry& entry : view_.Entries()) {
    list_->addTopLevelItem(new QTreeWidgetItem(Utf8List(control::BackupsView::Columns(entry))));
  }
  for (int c = 0; c < control::BackupsView::kColumns; ++c) list_->resizeColumnToContents(c);
  if (selected >= 0) list_->setCurrentItem(list_->topLevelItem(selected));
  ShowSelected();
}

void BackupsDialog::ShowSelected() {
  const auto& rows = view_.SelectedRows();
  rows_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    int c = 0;
    for (const std::string& cell : view_.RowCells(static_cast<std::size_t>(r))) {
      rows_->setItem(r, c++, new QTableWidgetItem(Utf8(cell)));
    }
  }
  rows_->resizeColumnsToContents();
  note_->setText(Utf8(view_.SelectedNote()));
  restore_->setEnabled(view_.CanRestore());
  load_->setEnabled(view_.CanLoad());
  compare_->setEnabled(view_.CanCompare());
}

}  // namespace quelt::ui
