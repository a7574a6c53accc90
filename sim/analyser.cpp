// The Analyser: a thread that reads commands from the line, records them,
// and answers each one through the fault and pacing rules.
#include <atomic>
#include <condition_variable>
#include <thread>

#include "sim/answer.h"
#include "sim/delivery.h"
#include "sim/pty_line.h"
#include "sim/sim.h"

namespace quelt::sim {

struct Analyser::Impl {
  PtyLine line;

  mutable std::mutex mutex;  // config, table, transcript, pending, observer
  mutable std::condition_variable commandsArrived;
  Config config;
  TableState table;
  std::vector<std::string> transcript;
  std::string pending;  // received after the last CR
  std::function<void(const std::string&)> observer;
  std::atomic<bool> hungUp{false};

  std::mutex stopMutex;
  std::condition_variable stopCv;
  std::atomic<bool> stopping{false};

  std::thread thread;

  explicit Impl(Config c) : config(std::move(c)) {
    table.rows = config.rows ? *config.rows : DefaultTable();
    thread = std::thread([this] { Run(); });
  }

  ~Impl() {
    {
      std::lock_guard lock(stopMutex);
      stopping = true;
    }
    stopCv.notify_all();
    line.Wake();
    thread.join();
  }

  // False when shutting down before `deadline`.
  bool SleepUntil(Clock::time_point deadline) {
    std::unique_lock lock(stopMutex);
    return !stopCv.wait_until(lock, deadline, [this] { return stopping.load(); });
  }

  void Run() {
    std::string received;
    while (!stopping) {
      received.clear();
      const auto r = line.Read(received, 1000);
      if (r == PtyLine::ReadResult::kClosed) return;
      if (r != PtyLine::ReadResult::kData) continue;
      for (;;) {
        std::optional<std::string> command;
        {
          std::lock_guard lock(mutex);
          pending += received;
          received.clear();
          command = TakeCommand(pending);
        }
        if (!command) break;
        if (!Handle(*command)) return;
      }
    }
  }

  // Records one command and answers it; false when the line is gone or the
  // simulator is shutting down.
  bool Handle(const std::string& command) {
    Response response;
    int baud;
    int latencyMs;
    int trickleMs;
    std::function<void(const std::string&)> notify;
    {
      std::lock_guard lock(mutex);
      notify = observer;
    }
    // Before the command enters the transcript: whoever sees it there also
    // sees what the observer did with it.
    if (notify) notify(command);
    {
      std::lock_guard lock(mutex);
      transcript.push_back(command);
      response = Respond(command, static_cast<int>(transcript.size()), config, table);
      baud = config.baud;
      latencyMs = config.latencyMs;
      trickleMs = config.trickleMs;
    }
    commandsArrived.notify_all();

    if (response.action == Action::kHangUp) {
      hungUp = true;  // first, so whoever sees the hang-up also sees the flag
      line.HangUp();
      return false;
    }
    if (response.action == Action::kSilent) return true;

    const std::string& bytes = response.bytes;
    const auto start = Clock::now() + std::chrono::milliseconds(latencyMs);
    if (latencyMs > 0 && !SleepUntil(start)) return false;
    SendPaced(
        bytes, baud, trickleMs, start, [this](Clock::time_point t) { return SleepUntil(t); },
        [this](const char* p, std::size_t n) { return line.Write(p, n); });
    return !stopping;
  }
};

Analyser::Analyser(Config config) : impl_(std::make_unique<Impl>(std::move(config))) {}

Analyser::~Analyser() = default;

const std::string& Analyser::DevicePath() const { return impl_->line.SlavePath(); }

std::vector<std::string> Analyser::Transcript() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->transcript;
}

void Analyser::ClearTranscript() {
  std::lock_guard lock(impl_->mutex);
  impl_->transcript.clear();
}

bool Analyser::WaitForCommands(std::size_t count, int timeoutMs) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->commandsArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                         [&] { return impl_->transcript.size() >= count; });
}

std::string Analyser::PendingInput() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->pending;
}

std::vector<std::string> Analyser::Rows() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->table.rows;
}

int Analyser::RowsInUse() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->table.rowsInUse;
}

void Analyser::SetConfig(const Config& config) {
  std::lock_guard lock(impl_->mutex);
  impl_->config = config;
  // A new table comes without a count in use, as one loaded at the factory.
  if (config.rows) impl_->table = {*config.rows, -1};
}

void Analyser::SetFaults(const Faults& faults) {
  std::lock_guard lock(impl_->mutex);
  impl_->config.faults = faults;
}

void Analyser::Inject(const std::string& bytes) { impl_->line.Write(bytes.data(), bytes.size()); }

void Analyser::OnCommand(std::function<void(const std::string&)> observer) {
  std::lock_guard lock(impl_->mutex);
  impl_->observer = std::move(observer);
}

bool Analyser::HungUp() const { return impl_->hungUp; }

}  // namespace quelt::sim
