// The platform seam of port discovery: read one string value of one key
// under HKEY_LOCAL_MACHINE. Windows reads the real registry
// (registry_win32.cpp); Linux answers the bridge's keys from sysfs
// (registry_sysfs.cpp).
#pragma once

#include <string>

namespace quelt {

struct RegistryValue {
  enum class Status {
    NoKey,    // the key does not open
    Text,     // the key opened; `text` holds the value ("" when missing)
    Failure,  // the value exists but is not a string: ends the lookup
  };
  Status status = Status::NoKey;
  std::string text;
};

class RegistryReader {
 public:
  virtual ~RegistryReader() = default;
  // `keyPath` is absolute under HKEY_LOCAL_MACHINE, with a leading backslash:
  // "\SYSTEM\CurrentControlSet\Enum\USB\Vid_10C4&Pid_830F&Mi_00\0001_00\Device Parameters\".
  virtual RegistryValue ReadString(const std::string& keyPath, const std::string& valueName) = 0;
};

// The reader of this platform: the Win32 registry, or on Linux a sysfs scan
// below "/sys".
RegistryReader& SystemRegistry();

}  // namespace quelt
