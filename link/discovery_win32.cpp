// Port discovery on Windows: the bridge driver's keys in the real registry.
#include "link/discovery.h"

namespace quelt {

std::int32_t FindUsbComPort(const std::string& vendorId, const std::string& productId,
                            const std::string& instance) {
  return FindUsbComPort(SystemRegistry(), vendorId, productId, instance);
}

FoundPort FindAnalyserPort() {
  return ComPort(FindUsbComPort(kBridgeVendorId, kBridgeProductId, kBridgeInstance));
}

}  // namespace quelt
