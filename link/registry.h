// What Windows discovery reads: one string value of one key under
// HKEY_LOCAL_MACHINE. The system's reader is the Win32 registry
// (registry_win32.cpp); tests read tables of their own on every platform.
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

#ifdef _WIN32
// The Win32 registry.
RegistryReader& SystemRegistry();
#endif

}  // namespace quelt
