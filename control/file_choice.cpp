#include "control/file_choice.h"

#include "control/window_controller.h"
#include "front/texts.h"
#include "fuel/backup_file.h"
#include "lang/tr.h"

namespace quelt::control {

FileChoice TableFileChoice(bool save) {
  return {lang::Tr(save ? front::kSaveTitle : front::kOpenTitle),
          {{lang::Tr(front::kTableFilesName), front::kTableFileExtension},
           {lang::Tr(front::kAllFilesName), ""}},
          front::kTableFileExtension,
          save,
          {}};
}

FileChoice ExportFileChoice(ExportKind kind) {
  const bool csv = kind == ExportKind::Csv;
  const char* extension = csv ? front::kCsvExtension : front::kReportExtension;
  return {lang::Tr(csv ? front::kExportCsvTitle : front::kReportTitle),
          {{lang::Tr(csv ? front::kCsvFilesName : front::kReportFilesName), extension}},
          extension,
          true,
          {}};
}

std::filesystem::path WindowController::PickFile(FileChoice choice) {
  if (face_ == nullptr) return {};
  const std::string folder = face_->LoadSetting(front::kSettingsFolderKey);
  choice.folder = std::filesystem::path(std::u8string(folder.begin(), folder.end()));
  const std::filesystem::path path = face_->PickFile(choice);
  if (!path.empty()) face_->StoreSetting(front::kSettingsFolderKey, PathText(path.parent_path()));
  return path;
}

}  // namespace quelt::control
