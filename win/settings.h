// What the window remembers for the user, in the registry under
// HKEY_CURRENT_USER\Software\<organisation>\<program>, laid out as QSettings
// lays out the same names: "group/value" is the key group and the value.
#pragma once

#include <string>

namespace quelt::win {

// Empty when the value was never stored (or cannot be read).
std::wstring ReadSetting(const char* name);
// False when the registry refused it; the window works on without.
bool WriteSetting(const char* name, const std::wstring& value);

}  // namespace quelt::win
