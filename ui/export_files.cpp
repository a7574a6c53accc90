// The Qt window's file dialog for the exports: the spreadsheet file and the
// service report, in the folder last used.
#include <QDir>

#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

#include "front/texts.h"
#include "fuel/status_text.h"
#include "lang/tr.h"
#include "ui/main_window.h"

namespace quelt::ui {

std::filesystem::path MainWindow::PickExportFile(control::ExportKind kind) {
  QSettings settings(QLatin1String(front::kSettingsOrganisation),
                     QLatin1String(quelt::kProgramName));
  const QString folder =
      settings.value(QLatin1String(front::kSettingsFolderKey), QDir::homePath()).toString();
  const bool csv = kind == control::ExportKind::Csv;
  const QString suffix = QString::fromUtf8(csv ? front::kCsvExtension : front::kReportExtension);
  const QString filter = QStringLiteral("%1 (*.%2)")
                             .arg(QString::fromStdString(lang::Tr(csv ? front::kCsvFilesName
                                                                      : front::kReportFilesName)),
                                  suffix);
  QFileDialog dialog(
      this, QString::fromStdString(lang::Tr(csv ? front::kExportCsvTitle : front::kReportTitle)),
      folder, filter);
  dialog.setObjectName(QStringLiteral("ExportFileDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().first();
  settings.setValue(QLatin1String(front::kSettingsFolderKey), QFileInfo(path).absolutePath());
  return QFile::encodeName(path).toStdString();
}

}  // namespace quelt::ui
