#include "ui/backups_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "control/window_controller.h"
#include "front/texts.h"
#include "lang/tr.h"
#include "text/cp1252.h"
#include "text/text_helpers.h"

namespace quelt::ui {
namespace {

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

QString FieldText(const FuelRow& row, const FuelFieldInfo& info) {
  if (info.field == FuelField::Description) return Utf8(Cp1252ToUtf8(row.Description));
  if (IsDecimalField(info.field)) {
    return Utf8(FormatFixed(row.Decimal(info.field), info.wireDecimals));
  }
  return QString::number(row.Integer(info.field));
}

}  // namespace

BackupsDialog::BackupsDialog(control::WindowController& controller, QWidget* parent)
    : QDialog(parent), view_(controller) {
  setObjectName(QStringLiteral("BackupsDialog"));
  setWindowTitle(
      QStringLiteral("%1 - %2").arg(Utf8(lang::Tr(front::kBackupsCaption)), Utf8(kProgramName)));
  auto* layout = new QVBoxLayout(this);
  heading_ = new QLabel(this);
  heading_->setTextFormat(Qt::PlainText);
  heading_->setWordWrap(true);
  layout->addWidget(heading_);

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("BackupsList"));
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  QStringList titles;
  for (const char* t : control::BackupsView::ColumnTitles()) titles << Utf8(lang::Tr(t));
  list_->setHeaderLabels(titles);
  layout->addWidget(list_, 2);

  rows_ = new QTableWidget(this);
  rows_->setObjectName(QStringLiteral("BackupRows"));
  rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  rows_->setSelectionMode(QAbstractItemView::NoSelection);
  rows_->verticalHeader()->hide();
  rows_->setColumnCount(kFuelFieldCount);
  QStringList fields;
  for (const FuelFieldInfo& info : FuelFields()) fields << Utf8(info.gridTitle);
  rows_->setHorizontalHeaderLabels(fields);
  layout->addWidget(rows_, 3);

  note_ = new QLabel(this);
  note_->setTextFormat(Qt::PlainText);
  note_->setWordWrap(true);
  note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(note_);

  auto* buttons = new QDialogButtonBox(this);
  restore_ =
      buttons->addButton(Utf8(lang::TrIn("button", "&Restore")), QDialogButtonBox::ActionRole);
  restore_->setObjectName(QStringLiteral("RestoreButton"));
  restore_->setToolTip(
      Utf8(lang::Tr("Write this backup back to the analyser exactly, then read it back")));
  load_ = buttons->addButton(Utf8(lang::TrIn("button", "&Load into grid")),
                             QDialogButtonBox::ActionRole);
  load_->setObjectName(QStringLiteral("LoadButton"));
  load_->setToolTip(Utf8(lang::Tr("Put this backup's rows into the grid, as a table not sent")));
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  // English keeps Qt's own word.
  if (lang::Language() != "en") close->setText(Utf8(lang::TrIn("button", "&Close")));
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
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  resize(720, 480);
  Fill();
}

void BackupsDialog::Fill() {
  heading_->setText(Utf8(view_.Heading()));
  const int selected = view_.Selected();
  QSignalBlocker quiet(list_);
  list_->clear();
  for (const BackupEntry& entry : view_.Entries()) {
    QStringList cells;
    for (const std::string& c : control::BackupsView::Columns(entry)) cells << Utf8(c);
    list_->addTopLevelItem(new QTreeWidgetItem(cells));
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
    for (const FuelFieldInfo& info : FuelFields()) {
      const QString text = info.field == FuelField::N
                               ? QString::number(r + 1)
                               : FieldText(rows[static_cast<std::size_t>(r)], info);
      rows_->setItem(r, c++, new QTableWidgetItem(text));
    }
  }
  rows_->resizeColumnsToContents();
  note_->setText(Utf8(view_.SelectedNote()));
  restore_->setEnabled(view_.CanRestore());
  load_->setEnabled(view_.CanLoad());
}

}  // namespace quelt::ui
