#include "ui/qt_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>

#include "link/analyser_link.h"

namespace quelt::ui {

QtPump::QtPump(QObject* parent) : QObject(parent) {
  timer_.setInterval(quelt::AnalyserLink::kTickMs);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { DeliverTick(); });
  timer_.start();
  // Its timeout is only there to wake the event loop.
  lookAgain_.setSingleShot(true);
  lookAgain_.setTimerType(Qt::PreciseTimer);
  connect(&lookAgain_, &QTimer::timeout, this, [] {});
}

QtPump::~QtPump() = default;

void QtPump::ProcessPendingEvents() { QCoreApplication::processEvents(); }

void QtPump::WaitForActivity(quelt::SerialPort& port, int atMostMs) {
  quelt::WaitHint hint = port.Hint();
  if (atMostMs >= 0 && (hint.lookAgainMs < 0 || atMostMs < hint.lookAgainMs)) {
    hint.lookAgainMs = atMostMs;
  }
  if (hint.lookAgainMs == 0) {
    // The next byte is due already: look at events, not at the clock.
    QCoreApplication::processEvents();
    return;
  }
  const auto fd = hint.pollable;
  if (fd > 0) {
    if (!notifier_ || notifierHandle_ != static_cast<qintptr>(fd)) {
      notifier_.reset();
      notifier_ =
          std::make_unique<QSocketNotifier>(static_cast<qintptr>(fd), QSocketNotifier::Read);
      notifier_->setEnabled(false);
      connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        readable_ = true;
        // One wake-up is all a wait needs; a hung-up line would fire forever.
        notifier_->setEnabled(false);
      });
      notifierHandle_ = static_cast<qintptr>(fd);
    }
    readable_ = false;
    notifier_->setEnabled(true);
  }
  if (hint.lookAgainMs > 0) lookAgain_.start(hint.lookAgainMs);
  // The 100 ms timer guarantees that this returns by the next tick.
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  lookAgain_.stop();
  if (notifier_) notifier_->setEnabled(false);
  // Readable with nothing to read: the line hung up (cable pulled). Sleep
  // until some other event instead of waking again at once on every pass.
  if (fd > 0 && readable_ && !port.HasInput()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

}  // namespace quelt::ui
