// The Win32 window's file dialog for the exports: the spreadsheet file and
// the service report, in the folder last used.
#include "win/main_window.h"

#include <commdlg.h>

#include "front/texts.h"
#include "text/utf16.h"
#include "win/settings.h"

namespace quelt::win {

std::filesystem::path MainWindow::PickExportFile(control::ExportKind kind) {
  const bool csv = kind == control::ExportKind::Csv;
  const std::wstring extension = WideFromUtf8(csv ? front::kCsvExtension : front::kReportExtension);
  const std::wstring name = WideFromUtf8(csv ? front::kCsvFilesName : front::kReportFilesName);
  // "CSV for spreadsheets (*.csv)\0*.csv\0\0"
  std::wstring filter = name + L" (*." + extension + L")";
  filter.push_back(L'\0');
  filter += L"*." + extension;
  filter.push_back(L'\0');
  const std::wstring title = WideFromUtf8(csv ? front::kExportCsvTitle : front::kReportTitle);
  const std::wstring folder = ReadSetting(front::kSettingsFolderKey);
  std::wstring file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = extension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
              OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
  if (GetSaveFileNameW(&ofn) == FALSE) return {};
  const std::filesystem::path path(file.c_str());
  WriteSetting(front::kSettingsFolderKey, path.parent_path().wstring());
  return path;
}

}  // namespace quelt::win
