// The Win32 window's file dialogs: table files to open or save, and the
// exports (the spreadsheet file and the service report), each in the folder
// last used.
#include "win/main_window.h"

#include <commdlg.h>

#include "front/texts.h"
#include "lang/tr.h"
#include "text/utf16.h"
#include "win/settings.h"

namespace quelt::win {
namespace {

// "Fuel tables (*.txt)\0*.txt\0": one filter's name and pattern, each ended
// by a nul.
std::wstring Filter(const std::string& name, const char* extension) {
  const std::wstring pattern = extension[0] == 0 ? L"*.*" : L"*." + WideFromUtf8(extension);
  std::wstring filter = WideFromUtf8(name) + L" (" + pattern + L")";
  filter.push_back(L'\0');
  filter += pattern;
  filter.push_back(L'\0');
  return filter;
}

// The file the user picked, empty when cancelled; the string's own end is
// the filter's second nul. The folder becomes the one last used.
std::filesystem::path PickFile(HWND owner, bool save, const std::wstring& filter,
                               const std::string& title, const char* extension) {
  const std::wstring folder = ReadSetting(front::kSettingsFolderKey);
  const std::wstring caption = WideFromUtf8(title);
  const std::wstring defaultExtension = WideFromUtf8(extension);
  // Long paths and any characters: the name comes back as UTF-16.
  std::wstring file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = caption.c_str();
  ofn.lpstrDefExt = defaultExtension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
              OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if ((save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) == FALSE) return {};
  const std::filesystem::path path(file.c_str());
  WriteSetting(front::kSettingsFolderKey, path.parent_path().wstring());
  return path;
}

}  // namespace

std::filesystem::path MainWindow::PickTableFile(bool save) {
  const std::wstring filter = Filter(lang::Tr(front::kTableFilesName), front::kTableFileExtension) +
                              Filter(lang::Tr(front::kAllFilesName), "");
  return PickFile(hwnd_, save, filter, lang::Tr(save ? front::kSaveTitle : front::kOpenTitle),
                  front::kTableFileExtension);
}

std::filesystem::path MainWindow::PickExportFile(control::ExportKind kind) {
  const bool csv = kind == control::ExportKind::Csv;
  const char* extension = csv ? front::kCsvExtension : front::kReportExtension;
  const std::wstring filter =
      Filter(lang::Tr(csv ? front::kCsvFilesName : front::kReportFilesName), extension);
  return PickFile(hwnd_, true, filter, lang::Tr(csv ? front::kExportCsvTitle : front::kReportTitle),
                  extension);
}

}  // namespace quelt::win
