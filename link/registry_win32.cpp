// Port discovery on Windows: the bridge driver's keys in the real registry.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/registry.h"

namespace quelt {
namespace {

class Win32Registry : public RegistryReader {
 public:
  RegistryValue ReadString(const std::string& keyPath, const std::string& valueName) override {
    // The path is absolute under HKEY_LOCAL_MACHINE; RegOpenKeyExA wants it
    // relative and refuses a leading backslash (ERROR_BAD_PATHNAME).
    std::string path = keyPath;
    while (!path.empty() && path.front() == '\\') path.erase(0, 1);
    while (!path.empty() && path.back() == '\\') path.pop_back();

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return {};
    }
    RegistryValue value = Query(key, valueName);
    RegCloseKey(key);
    return value;
  }

 private:
  static RegistryValue Query(HKEY key, const std::string& name) {
    RegistryValue value;
    value.status = RegistryValue::Status::Text;
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return value;  // a missing value reads as ""
    std::vector<char> data;
    // The value may grow between the two calls: ask again with the new size.
    for (int attempt = 0; rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA; ++attempt) {
      if (type != REG_SZ && type != REG_EXPAND_SZ) break;
      data.assign(size + 1, '\0');
      size = static_cast<DWORD>(data.size());
      rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                            &size);
      if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::string text(data.data(), std::min<std::size_t>(size, data.size()));
        while (!text.empty() && text.back() == '\0') text.pop_back();
        value.text = text.substr(0, text.find('\0'));
        return value;
      }
      if (rc != ERROR_MORE_DATA || attempt == 3) break;
    }
    value.status = RegistryValue::Status::Failure;
    return value;
  }
};

}  // namespace

RegistryReader& SystemRegistry() {
  static Win32Registry registry;
  return registry;
}

}  // namespace quelt
