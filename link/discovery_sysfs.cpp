// Port discovery on Linux: the bridge's tty in sysfs. The USB device is found
// below <root>/bus/usb/devices/ by idVendor and idProduct (lowercase hex);
// its interfaces carry bInterfaceNumber (hex). The tty sits in a "tty" class
// folder below the interface: <iface>/ttyUSB0/tty/ttyUSB0 for usb-serial
// drivers, <iface>/tty/ttyACM0 for CDC ACM. Its name is the kernel's, so the
// device is /dev/<name>, whatever udev links beside it.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "link/discovery.h"
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

// The first tty in a "tty" class folder below the interface; "" for none.
// Only real folders below the interface are looked into: its links (driver,
// subsystem, ...) lead elsewhere in the tree.
std::string TtyBelowInterface(const fs::path& iface) {
  std::vector<fs::path> classFolders{iface / "tty"};
  for (const fs::path& entry : SortedEntries(iface)) {
    std::error_code ec;
    if (entry.filename() != "tty" && fs::is_directory(fs::symlink_status(entry, ec))) {
      classFolders.push_back(entry / "tty");
    }
  }
  for (const fs::path& folder : classFolders) {
    const std::vector<fs::path> ttys = SortedEntries(folder);
    if (!ttys.empty()) return ttys.front().filename().string();
  }
  return {};
}

struct Interface {
  unsigned number;
  fs::path path;
};

// The device's interfaces in name order: its folders that carry a number.
std::vector<Interface> InterfacesOf(const fs::path& device) {
  std::vector<Interface> found;
  for (const fs::path& entry : SortedEntries(device)) {
    if (const std::optional<unsigned> n =
            ParseHexDigits(Attribute(entry / "bInterfaceNumber"), 4)) {
      found.push_back({*n, entry});
    }
  }
  return found;
}

}  // namespace

std::string FindUsbTty(const std::filesystem::path& sysfsRoot, const std::string& vendorId,
                       const std::string& productId) {
  std::vector<std::vector<Interface>> bridges;
  for (const fs::path& device : SortedEntries(sysfsRoot / "bus" / "usb" / "devices")) {
    // Interfaces are listed here too; only devices carry the two IDs.
    const std::string vendor = Attribute(device / "idVendor");
    if (vendor.empty() || !EqualNoCase(vendor, vendorId) ||
        !EqualNoCase(Attribute(device / "idProduct"), productId)) {
      continue;
    }
    bridges.push_back(InterfacesOf(device));
  }
  // As the keys go: interface 0 of any bridge ("Mi_00"), then a bridge that
  // is no composite device, whose one interface is the device itself.
  for (const auto& interfaces : bridges) {
    for (const Interface& iface : interfaces) {
      if (iface.number != 0) continue;
      if (std::string tty = TtyBelowInterface(iface.path); !tty.empty()) return "/dev/" + tty;
    }
  }
  for (const auto& interfaces : bridges) {
    if (interfaces.size() != 1) continue;
    if (std::string tty = TtyBelowInterface(interfaces[0].path); !tty.empty()) return "/dev/" + tty;
  }
  return {};
}

FoundPort FindAnalyserPort() {
  return PortAt(FindUsbTty("/sys", kBridgeVendorId, kBridgeProductId));
}

}  // namespace quelt
