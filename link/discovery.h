// Port discovery: where the analyser's USB bridge is. Windows reads the bridge
// driver's registry keys and finds a COM port (FindUsbComPort); Linux finds
// the bridge's tty in sysfs (FindUsbTty). Either way AnalyserLink gets a FoundPort: a
// device to open and the name a user knows it by.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "link/registry.h"

namespace quelt {

inline constexpr const char* kBridgeVendorId = "10C4";
inline constexpr const char* kBridgeProductId = "830F";
inline constexpr const char* kBridgeInstance = "0001";

inline constexpr const char* kNoBridgeText =
    "No analyser found: the USB bridge of the QUELT is not attached.";

struct FoundPort {
  std::string device;          // what to open: "\\.\COM7", "/dev/ttyUSB3"; "" when none
  std::string name;            // what a user calls it: "COM7", "/dev/ttyUSB3"
  std::int32_t comNumber = 0;  // Windows: 1..99; 0 on Linux, where ports have no number
  explicit operator bool() const { return !device.empty(); }
};

// COM port n: "\\.\COMn" named "COMn". Nothing for n < 1, and nothing on
// Linux, where COM numbers name no device.
FoundPort ComPort(std::int32_t n);
// A device known by its path (a tty on Linux); nothing for "".
FoundPort PortAt(const std::string& device);

// The analyser's COM port number from the bridge driver's registry entries,
// 1..99, or 0 when there is none.
std::int32_t FindUsbComPort(RegistryReader& registry, const std::string& vendorId,
                            const std::string& productId, const std::string& instance);

#ifdef _WIN32
// The same on the system's own registry.
std::int32_t FindUsbComPort(const std::string& vendorId, const std::string& productId,
                            const std::string& instance);
#else
// The tty of the USB device vendorId:productId below `sysfsRoot` (/sys), by
// the same rules as the registry keys: interface 0 of the device, else the
// only interface of a device that has one. "/dev/<tty>" whatever the tty's
// name (ttyUSBn, ttyACMn, ...); "" when none is attached.
std::string FindUsbTty(const std::filesystem::path& sysfsRoot, const std::string& vendorId,
                       const std::string& productId);
#endif

// The analyser's port on this system: the COM port of the registry keys
// (Windows) or the tty in /sys (Linux); nothing when the bridge is missing.
FoundPort FindAnalyserPort();

}  // namespace quelt
