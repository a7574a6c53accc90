#include "link/registry_sysfs.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "link/usb_tty.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

namespace fs = std::filesystem;

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// First line of a sysfs attribute without its newline; "" when unreadable.
std::string Attribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  return line;
}

std::vector<fs::path> SortedEntries(const fs::path& dir) {
  std::vector<fs::path> entries;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end(),
            [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
  return entries;
}

// The COM number of the ttyUSBk below a USB interface, 0 when it has none.
// Kernels show the usb-serial port as <iface>/ttyUSBk/ (with tty/ttyUSBk
// inside); a tty class link may also sit at <iface>/tty/ttyUSBk.
std::int32_t PortBelowInterface(const fs::path& iface) {
  for (const fs::path& dir : {iface, iface / "tty"}) {
    for (const fs::path& entry : SortedEntries(dir)) {
      if (const std::int32_t n = ComPortForUsbTty(entry.filename().string()); n > 0) return n;
    }
  }
  return 0;
}

struct KeyQuery {
  std::string vendor, product;
  std::optional<unsigned> interfaceNumber;  // Mi_NN; none: any interface
};

// Understands "\SYSTEM\CurrentControlSet\Enum\USB\Vid_v&Pid_p[&Mi_i]\inst\Device Parameters\".
std::optional<KeyQuery> ParseKey(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const std::size_t cut = path.find('\\');
    const std::string_view part = path.substr(0, cut);
    if (!part.empty()) parts.push_back(part);
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
  if (parts.size() != 7 || !EqualNoCase(parts[0], "SYSTEM") ||
      !EqualNoCase(parts[1], "CurrentControlSet") || !EqualNoCase(parts[2], "Enum") ||
      !EqualNoCase(parts[3], "USB") || !EqualNoCase(parts[6], "Device Parameters")) {
    return std::nullopt;
  }
  KeyQuery q;
  bool haveVendor = false, haveProduct = false;
  std::string_view id = parts[4];
  while (!id.empty()) {
    const std::size_t cut = id.find('&');
    const std::string_view item = id.substr(0, cut);
    if (StartsNoCase(item, "Vid_")) {
      q.vendor = item.substr(4);
      haveVendor = true;
    } else if (StartsNoCase(item, "Pid_")) {
      q.product = item.substr(4);
      haveProduct = true;
    } else if (StartsNoCase(item, "Mi_")) {
      q.interfaceNumber = ParseHexDigits(item.substr(3), 4);
      if (!q.interfaceNumber) return std::nullopt;
    } else {
      return std::nullopt;
    }
    if (cut == std::string_view::npos) break;
    id.remove_prefix(cut + 1);
  }
  if (!haveVendor || !haveProduct) return std::nullopt;
  return q;
}

std::int32_t FindPort(const fs::path& root, const KeyQuery& q) {
  for (const fs::path& device : SortedEntries(root / "bus" / "usb" / "devices")) {
    // Interfaces are listed here too; only devices carry the two IDs.
    const std::string vendor = Attribute(device / "idVendor");
    const std::string product = Attribute(device / "idProduct");
    if (vendor.empty() || !EqualNoCase(vendor, q.vendor) || !EqualNoCase(product, q.product)) {
      continue;
    }
    for (const fs::path& iface : SortedEntries(device)) {
      const std::optional<unsigned> number =
          ParseHexDigits(Attribute(iface / "bInterfaceNumber"), 4);
      if (!number || (q.interfaceNumber && *number != *q.interfaceNumber)) continue;
      if (const std::int32_t port = PortBelowInterface(iface); port > 0) return port;
    }
  }
  return 0;
}

}  // namespace

SysfsRegistry::SysfsRegistry(std::filesystem::path root) : root_(std::move(root)) {}

RegistryValue SysfsRegistry::ReadString(const std::string& keyPath, const std::string& valueName) {
  const std::optional<KeyQuery> query = ParseKey(keyPath);
  if (!query) return {};
  const std::int32_t port = FindPort(root_, *query);
  if (port == 0) return {};
  RegistryValue value;
  value.status = RegistryValue::Status::Text;
  if (EqualNoCase(valueName, "PortName")) value.text = "COM" + std::to_string(port);
  return value;
}

RegistryReader& SystemRegistry() {
  static SysfsRegistry registry("/sys");
  return registry;
}

}  // namespace quelt
