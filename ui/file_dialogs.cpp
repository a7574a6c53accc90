#include "ui/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include "front/texts.h"
#include "fuel/status_text.h"
#include "ui/main_window.h"

namespace quelt::ui {

std::filesystem::path PickFile(QWidget* parent, const control::FileChoice& choice,
                               const QString& name) {
  QSettings settings(QLatin1String(front::kSettingsOrganisation),
                     QLatin1String(quelt::kProgramName));
  const QString folder =
      settings.value(QLatin1String(front::kSettingsFolderKey), QDir::homePath()).toString();
  QStringList filters;
  for (const control::FileFilter& f : choice.filters) {
    const QString extension = QString::fromStdString(f.extension);
    filters << QStringLiteral("%1 (*%2)")
                   .arg(QString::fromStdString(f.name),
                        extension.isEmpty() ? QString() : "." + extension);
  }
  QFileDialog dialog(parent, QString::fromStdString(choice.title), folder,
                     filters.join(QStringLiteral(";;")));
  dialog.setObjectName(name);
  dialog.setAcceptMode(choice.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(choice.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (choice.save) dialog.setDefaultSuffix(QString::fromStdString(choice.extension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().first();
  settings.setValue(QLatin1String(front::kSettingsFolderKey), QFileInfo(path).absolutePath());
  return QFile::encodeName(path).toStdString();
}

std::filesystem::path MainWindow::PickTableFile(bool save) {
  return PickFile(this, control::TableFileChoice(save), QStringLiteral("TableFileDialog"));
}

std::filesystem::path MainWindow::PickExportFile(control::ExportKind kind) {
  return PickFile(this, control::ExportFileChoice(kind), QStringLiteral("ExportFileDialog"));
}

}  // namespace quelt::ui
