// The Qt window's file dialog: what control::FileChoice asks for.
#include <QDir>
#include <QFileDialog>
#include <QStringList>

#include "ui/main_window.h"

namespace quelt::ui {

std::filesystem::path MainWindow::PickFile(const control::FileChoice& choice) {
  QStringList filters;
  for (const control::FileFilter& f : choice.filters) {
    QStringList patterns;
    for (const std::string& e : f.extensions) patterns << "*." + QString::fromStdString(e);
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    filters << QStringLiteral("%1 (%2)").arg(QString::fromStdString(f.name),
                                             patterns.join(QLatin1Char(' ')));
  }
  const QString folder =
      choice.folder.empty() ? QDir::homePath() : QFile::decodeName(choice.folder.c_str());
  QFileDialog dialog(this, QString::fromStdString(choice.title), folder,
                     filters.join(QStringLiteral(";;")));
  dialog.setObjectName(QStringLiteral("FileDialog"));
  dialog.setAcceptMode(choice.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(choice.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (choice.save) dialog.setDefaultSuffix(QString::fromStdString(choice.extension));
  if (!choice.name.empty()) dialog.selectFile(QString::fromStdString(choice.name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

}  // namespace quelt::ui
