#include "link/discovery.h"

#include <utility>

#include "link/line.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

// The COM number a key's "PortName" gives: the text after "COM" (characters
// 4 to 7, whatever the first three are), 1..99, else 0.
std::int32_t PortFromName(const std::string& portName) {
  if (portName.size() < 4) return 0;
  const std::int32_t n = ParseIntLenient(std::string_view(portName).substr(3, 4));
  return n >= 1 && n <= 99 ? n : 0;
}

}  // namespace

std::int32_t FindUsbComPort(RegistryReader& registry, const std::string& vendorId,
                            const std::string& productId, const std::string& instance) {
  const std::string base =
      "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_" + vendorId + "&Pid_" + productId;
  // A composite device's interface 0 first, then the plain device.
  const std::string keys[] = {
      base + "&Mi_00\\" + instance + "_00\\Device Parameters\\",
      base + "\\" + instance + "\\Device Parameters\\",
  };
  for (const std::string& key : keys) {
    const RegistryValue value = registry.ReadString(key, "PortName");
    if (value.status == RegistryValue::Status::Failure) return 0;
    if (value.status == RegistryValue::Status::Text) {
      if (const std::int32_t port = PortFromName(value.text); port != 0) return port;
    }
  }
  return 0;
}

FoundPort ComPort(std::int32_t n) {
  if (n < 1) return {};
  std::string device = DeviceLine().DevicePathForPort(n);
  if (device.empty()) return {};
  return {std::move(device), "COM" + std::to_string(n), n};
}

FoundPort PortAt(const std::string& device) { return {device, device, 0}; }

}  // namespace quelt
