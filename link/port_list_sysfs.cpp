// The ports on Linux: the kernel's ttyUSB/ttyACM devices from
// <sysfs>/class/tty, and the links udev makes for them in
// <dev>/serial/by-id. A device with a by-id link is opened through it; its
// friendly name is the kernel's name with the link's.
#include <algorithm>
#include <map>
#include <system_error>

#include "link/discovery.h"
#include "link/port_list.h"

namespace quelt {
namespace {

namespace fs = std::filesystem;

bool IsUsbTty(const std::string& name) {
  return (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) && name.size() > 6;
}

}  // namespace

std::vector<PortEntry> ListSerialPorts(const fs::path& sysfsRoot, const fs::path& devRoot) {
  // By the kernel's name: the by-id link (empty when none).
  std::map<std::string, std::string> links;
  std::error_code ec;
  for (fs::directory_iterator it(sysfsRoot / "class" / "tty", ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (IsUsbTty(name)) links.emplace(name, std::string());
  }
  ec.clear();
  for (fs::directory_iterator it(devRoot / "serial" / "by-id", ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code linkEc;
    const fs::path target = fs::read_symlink(it->path(), linkEc);
    if (linkEc) continue;  // not a link: udev makes none but links here
    const std::string kernel = target.filename().string();
    if (kernel.empty()) continue;
    std::string& link = links[kernel];
    // Two links to one device (never from udev): the first by name stays.
    const std::string linkName = it->path().filename().string();
    if (link.empty() || linkName < link) link = linkName;
  }

  const std::string bridgeTty =
      fs::path(FindUsbTty(sysfsRoot, kBridgeVendorId, kBridgeProductId)).filename().string();
  std::vector<PortEntry> ports;
  for (const auto& [kernel, link] : links) {
    PortEntry entry;
    entry.port = kernel;
    if (link.empty()) {
      entry.device = (devRoot / kernel).string();
      entry.name = kernel;
    } else {
      entry.device = (devRoot / "serial" / "by-id" / link).string();
      entry.name = kernel + " (" + link + ")";
    }
    entry.bridge = !bridgeTty.empty() && kernel == bridgeTty;
    ports.push_back(std::move(entry));
  }
  SortPorts(ports);
  return ports;
}

std::vector<PortEntry> ListSerialPorts() { return ListSerialPorts("/sys", "/dev"); }

}  // namespace quelt
