// The link's message pump on Qt's event loop: a 100 ms QTimer delivers the
// ticks to whoever registered for them (the link registers itself), and a
// wait sleeps in the event loop until the port has input, any event arrives
// or the next tick is due. The port says what to wait on: a descriptor to
// watch, or the time its next byte is due.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "link/pump.h"

class QSocketNotifier;

namespace quelt::ui {

class QtPump : public QObject, public quelt::MessagePump {
  Q_OBJECT
 public:
  explicit QtPump(QObject* parent = nullptr);
  ~QtPump() override;

  void ProcessPendingEvents() override;
  void WaitForActivity(quelt::SerialPort& port, int atMostMs) override;

 private:
  QTimer timer_;
  // Ends a wait when the port's next byte is due.
  QTimer lookAgain_;
  // Kept between waits but enabled only during one, so that bytes left in
  // the queue never make the idle event loop spin.
  std::unique_ptr<QSocketNotifier> notifier_;
  qintptr notifierHandle_ = 0;
  bool readable_ = false;
};

}  // namespace quelt::ui
