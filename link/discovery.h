// FindUsbComPort: the analyser's COM port number from the bridge driver's
// registry entries, 1..99, or 0 when there is none.
#pragma once

#include <cstdint>
#include <string>

#include "link/registry.h"

namespace quelt {

inline constexpr const char* kBridgeVendorId = "10C4";
inline constexpr const char* kBridgeProductId = "830F";
inline constexpr const char* kBridgeInstance = "0001";

std::int32_t FindUsbComPort(RegistryReader& registry, const std::string& vendorId,
                            const std::string& productId, const std::string& instance);

// The same on the system's own registry.
std::int32_t FindUsbComPort(const std::string& vendorId, const std::string& productId,
                            const std::string& instance);

}  // namespace quelt
