// Linux names the bridge's tty ttyUSBk; the tool speaks of COM port numbers.
// Both directions of that mapping live here so that discovery (sysfs) and the
// open (comm_posix) can never disagree: ttyUSBk <-> COM(k+1).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelt {

inline constexpr std::string_view kUsbTtyPrefix = "ttyUSB";

// "/dev/ttyUSB(n-1)" for COM n; "" when n names no tty (n < 1).
inline std::string UsbTtyPathForComPort(std::int32_t n) {
  if (n < 1) return {};
  return "/dev/" + std::string(kUsbTtyPrefix) + std::to_string(n - 1);
}

// COM(k+1) for a tty named "ttyUSBk"; 0 for any other name.
inline std::int32_t ComPortForUsbTty(std::string_view name) {
  if (name.substr(0, kUsbTtyPrefix.size()) != kUsbTtyPrefix) return 0;
  std::string_view digits = name.substr(kUsbTtyPrefix.size());
  if (digits.empty() || digits.size() > 6) return 0;
  std::int32_t k = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    k = k * 10 + (c - '0');
  }
  return k + 1;
}

}  // namespace quelt
