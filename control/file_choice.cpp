#include "control/file_choice.h"

#include "front/texts.h"
#include "lang/tr.h"

namespace quelt::control {

FileChoice TableFileChoice(bool save) {
  return {lang::Tr(save ? front::kSaveTitle : front::kOpenTitle),
          {{lang::Tr(front::kTableFilesName), front::kTableFileExtension},
           {lang::Tr(front::kAllFilesName), ""}},
          front::kTableFileExtension,
          save};
}

FileChoice ExportFileChoice(ExportKind kind) {
  const bool csv = kind == ExportKind::Csv;
  const char* extension = csv ? front::kCsvExtension : front::kReportExtension;
  return {lang::Tr(csv ? front::kExportCsvTitle : front::kReportTitle),
          {{lang::Tr(csv ? front::kCsvFilesName : front::kReportFilesName), extension}},
          extension,
          true};
}

}  // namespace quelt::control
