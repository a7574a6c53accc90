#include "link/line.h"

namespace quelt {
namespace {

class Device final : public Line {
 public:
  std::string DevicePathForPort(std::int32_t number) const override {
    return comm::DevicePathForPort(number);
  }
  comm::Handle Open(const std::string& devicePath, comm::Reason* reason) override {
    return comm::Open(devicePath, reason);
  }
  void SetupQueues(comm::Handle h, std::uint32_t inQueue, std::uint32_t outQueue) override {
    comm::SetupQueues(h, inQueue, outQueue);
  }
  bool SetState(comm::Handle h, const DcbRecord& dcb, comm::Reason* reason) override {
    return comm::SetState(h, dcb, reason);
  }
  bool Write(comm::Handle h, const void* data, std::uint32_t count) override {
    return comm::Write(h, data, count);
  }
  std::uint32_t Read(comm::Handle h, void* data, std::uint32_t count) override {
    return comm::Read(h, data, count);
  }
  std::uint32_t BytesWaiting(comm::Handle h) override { return comm::BytesWaiting(h); }
  bool LineGone(comm::Handle h) override { return comm::LineGone(h); }
  void Close(comm::Handle h) override { comm::Close(h); }
  void WaitReadable(comm::Handle h, int timeoutMs) override { comm::WaitReadable(h, timeoutMs); }

  WaitHint Hint(comm::Handle h) override {
    const comm::Handle pollable = h != 0 ? comm::Pollable(h) : 0;
    // A port the system cannot watch is looked at again every millisecond:
    // shorter than a byte at 9600 baud.
    return {pollable, h != 0 && pollable == 0 ? 1 : -1};
  }
};

}  // namespace

Line& DeviceLine() {
  static Device device;
  return device;
}

}  // namespace quelt
