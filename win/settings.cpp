#include "win/settings.h"

#include <windows.h>

#include "front/setting_place.h"
#include "text/utf16.h"

namespace quelt::win {

std::wstring ReadSetting(const char* name) {
  const front::SettingPlace place = front::SettingPlaceOf(name);
  const std::wstring key = WideFromUtf8(place.key), value = WideFromUtf8(place.value);
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                   &bytes) != ERROR_SUCCESS ||
      bytes < sizeof(wchar_t)) {
    return {};
  }
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr,
                   text.data(), &bytes) != ERROR_SUCCESS) {
    return {};
  }
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

bool WriteSetting(const char* name, const std::wstring& text) {
  const front::SettingPlace place = front::SettingPlaceOf(name);
  const std::wstring key = WideFromUtf8(place.key), value = WideFromUtf8(place.value);
  return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), REG_SZ, text.c_str(),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace quelt::win
