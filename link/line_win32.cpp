// The device line on Windows: the Win32 communications calls, nothing else.
#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "link/line.h"

namespace quelt::comm {
namespace {

static_assert(sizeof(DCB) == sizeof(DcbRecord), "DcbRecord must match the Win32 DCB");
static_assert(sizeof(DCB) == 28);

HANDLE Win(Handle h) { return reinterpret_cast<HANDLE>(h); }

std::string SystemText(DWORD code) {
  char* buffer = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n > 0 && buffer != nullptr ? std::string(buffer, n) : std::string();
  LocalFree(buffer);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  if (text.empty()) text = "system error " + std::to_string(code);
  return text;
}

void Fill(Reason* reason, DWORD code) {
  if (reason == nullptr) return;
  reason->code = static_cast<int>(code);
  reason->permission = false;
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      // A COM port is opened exclusively: refused access almost always means
      // that another program holds it.
      reason->text = "in use by another program";
      break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      reason->text = "device not found";
      break;
    default:
      reason->text = SystemText(code);
      break;
  }
}

// "COM7" as a user types it becomes "\\.\COM7": without the prefix only
// COM1..COM9 open, so every port gets it.
std::string Win32Path(const std::string& path) {
  if (path.size() > 3 && (path[0] == 'C' || path[0] == 'c') && (path[1] == 'O' || path[1] == 'o') &&
      (path[2] == 'M' || path[2] == 'm') && std::all_of(path.begin() + 3, path.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    return "\\\\.\\" + path;
  }
  return path;
}

bool Gone(HANDLE h) {
  DWORD errors = 0;
  COMSTAT status{};
  // The query fails only when the device behind the handle has gone.
  return !ClearCommError(h, &errors, &status);
}

// A ReadFile or WriteFile that failed: the system's own words, and whether
// the device behind the handle vanished.
IoResult IoFailure(HANDLE h, DWORD code, std::uint32_t count) {
  IoResult r;
  r.ok = false;
  r.count = count;
  r.reason.code = static_cast<int>(code);
  r.reason.text = SystemText(code);
  r.reason.gone = Gone(h);
  return r;
}

class Win32Line final : public Line {
 public:
  std::string DevicePathForPort(std::int32_t number) const override {
    return "\\\\.\\COM" + std::to_string(number);
  }

  Handle Open(const std::string& devicePath, Reason* reason) override {
    HANDLE h = CreateFileA(Win32Path(devicePath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      Fill(reason, GetLastError());
      return kInvalid;
    }
    // Waits for a reply sleep a millisecond at a time (WaitReadable). At the
    // default timer period of 15.6 ms each such sleep, and so the end of
    // every reply, would come up to 15 ms late: 1 ms while a port is open,
    // which is while an operation runs. Close gives it back.
    timeBeginPeriod(1);
    return reinterpret_cast<Handle>(h);
  }

  void SetupQueues(Handle h, std::uint32_t inQueue, std::uint32_t outQueue) override {
    SetupComm(Win(h), inQueue, outQueue);
  }

  bool SetState(Handle h, const DcbRecord& dcb, Reason* reason) override {
    DCB d;
    std::memcpy(&d, &dcb, sizeof d);
    if (!SetCommState(Win(h), &d)) {
      Fill(reason, GetLastError());
      return false;
    }
    return true;
  }

  IoResult Write(Handle h, const void* data, std::uint32_t count) override {
    // The port is not in overlapped mode, so the call completes before it
    // returns; the record only has to carry no event.
    OVERLAPPED overlapped{};
    overlapped.hEvent = nullptr;
    DWORD written = 0;
    if (!WriteFile(Win(h), data, count, &written, &overlapped)) {
      return IoFailure(Win(h), GetLastError(), written);
    }
    if (written < count) {
      // The driver's write time-out ran out before the line took it all.
      IoResult r = IoFailure(Win(h), ERROR_TIMEOUT, written);
      r.reason.text =
          "the port took " + std::to_string(written) + " of " + std::to_string(count) + " bytes";
      return r;
    }
    return {count, true, {}};
  }

  IoResult Read(Handle h, void* data, std::uint32_t count) override {
    // The port's time-outs stay as the driver set them, which may mean "wait
    // for all `count` bytes". Ask only for what is there so a read never
    // waits.
    count = std::min(count, BytesWaiting(h));
    if (count == 0) return {};
    OVERLAPPED overlapped{};
    overlapped.hEvent = nullptr;
    DWORD got = 0;
    if (!ReadFile(Win(h), data, count, &got, &overlapped)) {
      return IoFailure(Win(h), GetLastError(), 0);
    }
    return {got, true, {}};
  }

  std::uint32_t BytesWaiting(Handle h) override {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(Win(h), &errors, &status)) return 0;
    return status.cbInQue;
  }

  bool LineGone(Handle h) override { return Gone(Win(h)); }

  void Close(Handle h) override {
    CloseHandle(Win(h));
    timeEndPeriod(1);
  }

  void WaitReadable(Handle, int timeoutMs) override {
    // A COM handle opened without overlapped mode has no readiness wait. One
    // millisecond (the timer period while a port is open, see Open) is
    // shorter than a byte at 9600 baud and keeps the core idle.
    if (timeoutMs > 0) Sleep(1);
  }

  // Nothing to watch: a port is looked at again every millisecond, shorter
  // than a byte at 9600 baud.
  WaitHint Hint(Handle h) override { return {0, h != 0 ? 1 : -1}; }
};

}  // namespace
}  // namespace quelt::comm

namespace quelt {

Line& DeviceLine() {
  static comm::Win32Line line;
  return line;
}

}  // namespace quelt
