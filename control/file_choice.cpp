#include "control/file_choice.h"

#include "front/texts.h"
#include "fuel/atomic_file.h"
#include "fuel/backup.h"
#include "lang/tr.h"

namespace quelt::control {

FileChoice TableFileChoice(bool save) {
  std::vector<std::string> extensions{front::kTableFileExtension};
  // What Open reads besides table files and backups: the CSV of the export.
  if (!save) extensions.emplace_back(front::kCsvExtension);
  return {lang::Tr(save ? front::kSaveTitle : front::kOpenTitle),
          {{lang::Tr(front::kTableFilesName), extensions}, {lang::Tr(front::kAllFilesName), {}}},
          front::kTableFileExtension,
          save,
          {}};
}

FileChoice ExportFileChoice(ExportKind kind) {
  const bool csv = kind == ExportKind::Csv;
  const char* extension = csv ? front::kCsvExtension : front::kReportExtension;
  return {lang::Tr(csv ? front::kExportCsvTitle : front::kReportTitle),
          {{lang::Tr(csv ? front::kCsvFilesName : front::kReportFilesName), {extension}}},
          extension,
          true,
          {}};
}

std::string ProposedFileName(const std::string& serialNumber, std::time_t now,
                             const std::string& extension) {
  std::string serial;
  for (const char c : serialNumber) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.';
    serial += plain ? c : '_';
  }
  // Nothing but dots and blanks is no name; a name never starts with a dot.
  const std::size_t first = serial.find_first_not_of("._");
  serial = first == std::string::npos ? std::string() : serial.substr(first, 32);
  while (!serial.empty() && (serial.back() == '.' || serial.back() == '_')) serial.pop_back();
  const std::string date = LocalTimeText(now, "%Y-%m-%d");
  return (serial.empty() ? date : serial + "_" + date) + "." + extension;
}

}  // namespace quelt::control
