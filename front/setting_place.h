// Where the Win32 window keeps a setting: the registry under
// HKEY_CURRENT_USER, laid out as QSettings lays out the same names, so both
// windows name their settings alike. "group/value" is the value `value` of
// the key Software\<organisation>\<program>\group.
#pragma once

#include <string>
#include <string_view>

namespace quelt::front {

struct SettingPlace {
  std::string key;    // below HKEY_CURRENT_USER, '\' between its parts (UTF-8)
  std::string value;  // the value's name
};
SettingPlace SettingPlaceOf(std::string_view name);

}  // namespace quelt::front
