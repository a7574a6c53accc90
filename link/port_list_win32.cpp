// The ports on Windows: the COM ports of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM
// (one value a port, its data "COMn"), each named by the FriendlyName of the
// device whose "Device Parameters" hold that PortName, found in
// HKLM\SYSTEM\CurrentControlSet\Enum\<bus>\<device>\<instance>.
#include <windows.h>

#include <map>
#include <vector>

#include "link/discovery.h"
#include "link/port_list.h"
#include "text/utf16.h"

namespace quelt {
namespace {

class Key {
 public:
  Key(HKEY parent, const std::wstring& path) {
    if (parent == nullptr ||
        RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }

  std::vector<std::wstring> SubKeys() const {
    std::vector<std::wstring> names;
    if (key_ == nullptr) return names;
    for (DWORD i = 0;; ++i) {
      wchar_t name[256];
      DWORD size = 256;
      const LONG rc = RegEnumKeyExW(key_, i, name, &size, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) continue;  // no key name is that long; skip it
      if (rc != ERROR_SUCCESS) break;
      names.emplace_back(name, size);
    }
    return names;
  }

  // A string value; "" when it is missing or no string.
  std::wstring String(const wchar_t* name) const {
    if (key_ == nullptr) return {};
    DWORD bytes = 0;
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     nullptr, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes < sizeof(wchar_t)) {
      return {};
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     nullptr, text.data(), &bytes) != ERROR_SUCCESS) {
      return {};
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
  }

 private:
  HKEY key_ = nullptr;
};

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The COM ports the system lists, as "COMn" in capitals.
std::vector<std::string> ListedComPorts() {
  std::vector<std::string> ports;
  const Key key(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM");
  if (key.get() == nullptr) return ports;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD nameSize = 512;
    wchar_t data[64];
    DWORD dataBytes = sizeof data;
    DWORD type = 0;
    const LONG rc = RegEnumValueW(key.get(), i, name, &nameSize, nullptr, &type,
                                  reinterpret_cast<BYTE*>(data), &dataBytes);
    if (rc == ERROR_MORE_DATA) continue;  // no port name is that long
    if (rc != ERROR_SUCCESS) break;
    if (type != REG_SZ) continue;
    std::wstring port(data, wcsnlen(data, dataBytes / sizeof(wchar_t)));
    std::string text = Upper(Utf8FromWide(port));
    if (text.rfind("COM", 0) != 0 || text.size() == 3) continue;
    bool seen = false;
    for (const std::string& p : ports) seen = seen || p == text;
    if (!seen) ports.push_back(std::move(text));
  }
  return ports;
}

// The friendly names of the devices that carry a PortName, by that name.
std::map<std::string, std::string> FriendlyNames() {
  std::map<std::string, std::string> names;
  const Key enumKey(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum");
  for (const std::wstring& bus : enumKey.SubKeys()) {
    const Key busKey(enumKey.get(), bus);
    for (const std::wstring& device : busKey.SubKeys()) {
      const Key deviceKey(busKey.get(), device);
      for (const std::wstring& instance : deviceKey.SubKeys()) {
        const Key instanceKey(deviceKey.get(), instance);
        const Key parameters(instanceKey.get(), L"Device Parameters");
        const std::string port = Upper(Utf8FromWide(parameters.String(L"PortName")));
        if (port.empty()) continue;
        const std::wstring friendly = instanceKey.String(L"FriendlyName");
        if (!friendly.empty()) names.emplace(port, Utf8FromWide(friendly));
      }
    }
  }
  return names;
}

}  // namespace

std::vector<PortEntry> ListSerialPorts() {
  const std::int32_t bridge = FindUsbComPort(kBridgeVendorId, kBridgeProductId, kBridgeInstance);
  const std::string bridgePort = bridge > 0 ? "COM" + std::to_string(bridge) : std::string();
  const std::map<std::string, std::string> friendly = FriendlyNames();
  std::vector<PortEntry> ports;
  for (const std::string& port : ListedComPorts()) {
    PortEntry entry;
    entry.device = port;
    entry.port = port;
    const auto name = friendly.find(port);
    entry.name = name != friendly.end() ? name->second : port;
    entry.bridge = port == bridgePort;
    ports.push_back(std::move(entry));
  }
  SortPorts(ports);
  return ports;
}

}  // namespace quelt
