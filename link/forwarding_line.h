// A Line that passes every call on to another: the base of a line that
// watches or changes a few calls of a real one (counting the commands of a
// benchmark, refusing a write in a test) and leaves the rest alone.
#pragma once

#include <string>

#include "link/line.h"

namespace quelt {

class ForwardingLine : public Line {
 public:
  explicit ForwardingLine(Line& inner) : inner_(inner) {}

  std::string DevicePathForPort(std::int32_t number) const override {
    return inner_.DevicePathForPort(number);
  }
  comm::Handle Open(const std::string& path, comm::Reason* reason) override {
    return inner_.Open(path, reason);
  }
  void SetupQueues(comm::Handle h, std::uint32_t in, std::uint32_t out) override {
    inner_.SetupQueues(h, in, out);
  }
  bool SetState(comm::Handle h, const DcbRecord& dcb, comm::Reason* reason) override {
    return inner_.SetState(h, dcb, reason);
  }
  IoResult Write(comm::Handle h, const void* data, std::uint32_t count) override {
    return inner_.Write(h, data, count);
  }
  IoResult Read(comm::Handle h, void* data, std::uint32_t count) override {
    return inner_.Read(h, data, count);
  }
  std::uint32_t BytesWaiting(comm::Handle h) override { return inner_.BytesWaiting(h); }
  bool LineGone(comm::Handle h) override { return inner_.LineGone(h); }
  void Close(comm::Handle h) override { inner_.Close(h); }
  void WaitReadable(comm::Handle h, int timeoutMs) override { inner_.WaitReadable(h, timeoutMs); }
  WaitHint Hint(comm::Handle h) override { return inner_.Hint(h); }

 protected:
  Line& inner() const { return inner_; }

 private:
  Line& inner_;
};

}  // namespace quelt
