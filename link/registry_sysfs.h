// Port discovery on Linux: answers the bridge driver's registry keys from
// sysfs. The Windows key names a USB device by vendor and product ID (and,
// for a composite device, the interface "Mi_NN"); its "PortName" value is the
// COM port the driver created. Here the same device is found below
// <root>/bus/usb/devices/ (idVendor, idProduct: lowercase hex;
// bInterfaceNumber: hex), its tty is ttyUSBk, and the port name is
// "COM(k+1)" - the number that the Linux open maps back to /dev/ttyUSBk
// (link/usb_tty.h).
#pragma once

#include <filesystem>
#include <string>

#include "link/registry.h"

namespace quelt {

class SysfsRegistry : public RegistryReader {
 public:
  // `root` stands for /sys; tests point it at a tree of their own.
  explicit SysfsRegistry(std::filesystem::path root = "/sys");

  RegistryValue ReadString(const std::string& keyPath, const std::string& valueName) override;

 private:
  std::filesystem::path root_;
};

}  // namespace quelt
