#include "ui/qt_pump.h"

#include <QCoreApplication>
#include <QEventLoop>

#ifdef _WIN32
#include <windows.h>
#else
#include <QSocketNotifier>
#endif

#include "link/glb.h"

QtPump::QtPump(QObject* parent) : QObject(parent) {
  timer_.setInterval(quelt::TGlb::kTickMs);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (tick_) tick_();
  });
  timer_.start();
}

QtPump::~QtPump() = default;

void QtPump::ProcessPendingEvents() { QCoreApplication::processEvents(); }

#ifdef _WIN32

// Windows has no notifier for a COM handle here; a millisecond's sleep keeps
// the wait from spinning and still reads a 9600 baud line in time.
void QtPump::WaitForActivity(quelt::comm::Handle) {
  QCoreApplication::processEvents();
  Sleep(1);
}

#else

void QtPump::WaitForActivity(quelt::comm::Handle port) {
  if (port > 0) {
    if (!notifier_ || notifierHandle_ != port) {
      notifier_.reset();
      notifier_ =
          std::make_unique<QSocketNotifier>(static_cast<qintptr>(port), QSocketNotifier::Read);
      notifier_->setEnabled(false);
      connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        readable_ = true;
        // One wake-up is all a wait needs; a hung-up line would fire forever.
        notifier_->setEnabled(false);
      });
      notifierHandle_ = port;
    }
    readable_ = false;
    notifier_->setEnabled(true);
  }
  // The 100 ms timer guarantees that this returns by the next tick.
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  if (notifier_) notifier_->setEnabled(false);
  // Readable with nothing to read: the line hung up (cable pulled). Sleep
  // until some other event instead of waking again at once on every pass.
  if (port > 0 && readable_ && quelt::comm::BytesWaiting(port) == 0) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

#endif
