// The floor a read is held against: the same commands with plain blocking
// waits (the command out, then a blocking read up to its reply's CR),
// without the link's passes, ticks and drains.
#pragma once

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace quelt::bench {

// Sends each command (its CR included) on `device` and reads until its
// reply's CR; false when the port does not open or a reply takes a second.
inline bool PlainRead(Line& line, const std::string& device,
                      const std::vector<std::string>& commands) {
  SerialPort port;
  port.UseLine(line);
  port.SetDevicePath(device);
  port.Open();
  port.ApplySettings();
  if (!port.isOpen()) return false;
  for (const std::string& command : commands) {
    port.Write(command.data(), static_cast<std::uint32_t>(command.size()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (bool cr = false; !cr;) {
      if (std::chrono::steady_clock::now() > deadline) {
        port.Close();
        return false;
      }
      port.WaitReadable(100);
      char buffer[256];
      const std::uint32_t n = port.Read(buffer, sizeof buffer);
      cr = std::memchr(buffer, '\r', n) != nullptr;
    }
  }
  port.Close();
  return true;
}

}  // namespace quelt::bench
