// The simulator's end of a pseudo-terminal pair. The master side is ours;
// the slave side is the "serial port" the tool opens.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

namespace quelt::sim {

class PtyLine {
 public:
  // Opens the pair and sets the slave raw; throws std::system_error.
  PtyLine();
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  const std::string& SlavePath() const { return slavePath_; }

  enum class ReadResult { kData, kIdle, kWoken, kClosed };
  // Waits up to `timeoutMs` for input and appends what arrived to `out`.
  // kIdle: nothing came; kWoken: Wake() was called; kClosed: hung up.
  ReadResult Read(std::string& out, int timeoutMs);

  // Writes all bytes, waiting for room at most `roomTimeoutMs` at a time;
  // false when the line is closed or the tool has stopped reading (the
  // rest is dropped, as an overrun would).
  bool Write(const char* data, std::size_t size, int roomTimeoutMs = 1000);

  // Closes the line as a pulled cable would: the tool sees a hang-up.
  void HangUp();
  bool IsClosed() const;

  // Makes a Read waiting on another thread return at once (kWoken).
  void Wake();

 private:
  mutable std::mutex mutex_;  // guards the descriptors against HangUp
  int master_ = -1;
  int heldSlave_ = -1;
  int wakeFd_ = -1;
  std::string slavePath_;
};

}  // namespace quelt::sim
