#include "ui/stop_signals.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>
#include <utility>

namespace quelt::ui {
namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
// The handler may only write to a descriptor: the loop reads the other end.
int g_wakeFds[2] = {-1, -1};

extern "C" void NoteStopSignal(int signal) {
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t n = write(g_wakeFds[0], &byte, 1);
}

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop, QObject* parent)
    : QObject(parent), onStop_(std::move(onStop)) {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_wakeFds) != 0) return;
  notifier_ = new QSocketNotifier(g_wakeFds[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    unsigned char byte = 0;
    while (read(g_wakeFds[1], &byte, 1) == 1) {
    }
    if (onStop_) onStop_();
  });
  struct sigaction action {};
  action.sa_handler = NoteStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

StopSignals::~StopSignals() {
  for (const int signal : kStopSignals) std::signal(signal, SIG_DFL);
  delete notifier_;
  notifier_ = nullptr;
  close(g_wakeFds[0]);
  close(g_wakeFds[1]);
  g_wakeFds[0] = g_wakeFds[1] = -1;
}

}  // namespace quelt::ui
