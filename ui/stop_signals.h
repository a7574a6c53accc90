// The signals with which the system ends a program (SIGTERM at shutdown or
// logout, SIGHUP when the session goes, SIGINT, SIGQUIT) reach the window's
// event loop as a call instead of killing it mid-transfer: a write then
// stops after the command in flight and the port is released.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace quelt::ui {

class StopSignals : public QObject {
 public:
  // Installs the handlers; `onStop` runs in the event loop, once per signal.
  explicit StopSignals(std::function<void()> onStop, QObject* parent = nullptr);
  ~StopSignals() override;

 private:
  std::function<void()> onStop_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace quelt::ui
