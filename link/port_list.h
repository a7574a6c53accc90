// The serial ports a user may choose from: on Windows the COM ports the
// system lists (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM) with their friendly names
// from the device registry; on Linux the /dev/serial/by-id links and the
// ttyUSB/ttyACM devices sysfs knows. The analyser's USB bridge, recognised
// as discovery recognises it, comes first; the rest follow in natural order
// (COM2 before COM10).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quelt {

struct PortEntry {
  std::string device;   // what to open: "COM7", "/dev/serial/by-id/usb-...", "/dev/ttyUSB0"
  std::string name;     // what a user knows it by: the friendly name, else the port
  std::string port;     // the short port name it is ordered by: "COM7", "ttyUSB0"
  bool bridge = false;  // the analyser's USB bridge
};

// Natural order of port names: digit runs compare as numbers, letters
// without regard to case ("COM2" < "COM10", "ttyUSB9" < "ttyUSB10").
bool NaturalLess(const std::string& a, const std::string& b);
// The bridge first, then by `port` in natural order.
void SortPorts(std::vector<PortEntry>& ports);

#ifndef _WIN32
// The ports below fake roots: `sysfsRoot` as /sys (class/tty and the USB
// devices discovery reads), `devRoot` as /dev (serial/by-id). A by-id link is
// preferred as the device: it names the same adapter after a re-plug.
std::vector<PortEntry> ListSerialPorts(const std::filesystem::path& sysfsRoot,
                                       const std::filesystem::path& devRoot);
#endif

// The ports of this system now.
std::vector<PortEntry> ListSerialPorts();

}  // namespace quelt
