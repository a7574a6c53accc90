#include "win/settings.h"

#include <windows.h>

#include "front/texts.h"
#include "fuel/status_text.h"
#include "text/utf16.h"

namespace quelt::win {
namespace {

struct Place {
  std::wstring key;
  std::wstring value;
};

Place PlaceOf(const char* name) {
  std::wstring key = L"Software\\" + WideFromUtf8(front::kSettingsOrganisation) + L"\\" +
                     WideFromUtf8(kProgramName);
  std::wstring value = WideFromUtf8(name);
  const std::size_t slash = value.rfind(L'/');
  if (slash != std::wstring::npos) {
    std::wstring group = value.substr(0, slash);
    for (wchar_t& c : group) {
      if (c == L'/') c = L'\\';
    }
    key += L"\\" + group;
    value.erase(0, slash + 1);
  }
  return {key, value};
}

}  // namespace

std::wstring ReadSetting(const char* name) {
  const Place place = PlaceOf(name);
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, place.key.c_str(), place.value.c_str(), RRF_RT_REG_SZ,
                   nullptr, nullptr, &bytes) != ERROR_SUCCESS ||
      bytes < sizeof(wchar_t)) {
    return {};
  }
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_CURRENT_USER, place.key.c_str(), place.value.c_str(), RRF_RT_REG_SZ,
                   nullptr, text.data(), &bytes) != ERROR_SUCCESS) {
    return {};
  }
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

bool WriteSetting(const char* name, const std::wstring& value) {
  const Place place = PlaceOf(name);
  return RegSetKeyValueW(HKEY_CURRENT_USER, place.key.c_str(), place.value.c_str(), REG_SZ,
                         value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace quelt::win
