#include "win/file_dialogs.h"

#include <commdlg.h>

#include <algorithm>

#include "text/utf16.h"

namespace quelt::win {

std::filesystem::path PickFile(HWND owner, const control::FileChoice& choice) {
  // "Fuel tables (*.txt)\0*.txt\0": each filter's name and pattern, each
  // ended by a nul; the string's own end is the second nul of the last.
  std::wstring filter;
  for (const control::FileFilter& f : choice.filters) {
    std::wstring pattern;
    for (const std::string& e : f.extensions) {
      pattern += (pattern.empty() ? L"*." : L";*.") + WideFromUtf8(e);
    }
    if (pattern.empty()) pattern = L"*.*";
    filter += WideFromUtf8(f.name) + L" (" + pattern + L")";
    filter.push_back(L'\0');
    filter += pattern;
    filter.push_back(L'\0');
  }
  const std::wstring folder = choice.folder.wstring();
  const std::wstring caption = WideFromUtf8(choice.title);
  const std::wstring defaultExtension = WideFromUtf8(choice.extension);
  // Long paths and any characters: the name comes back as UTF-16.
  std::wstring file(32768, L'\0');
  // The name a save proposes, in the name field.
  const std::wstring proposed = WideFromUtf8(choice.name);
  if (proposed.size() < file.size()) std::copy(proposed.begin(), proposed.end(), file.begin());
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
              OFN_PATHMUSTEXIST | (choice.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if ((choice.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) == FALSE) return {};
  return std::filesystem::path(file.c_str());
}

}  // namespace quelt::win
