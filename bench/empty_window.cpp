// The floor of bench/gui_startup: a Qt window with one label, started and
// painted the way quelt-fuel is, on the same virtual X server. It prints the
// moment of its first paint ("shown_epoch_ns N") and ends; what quelt-fuel
// takes beyond this is the window's own start-up.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <cstdio>

namespace {

class FirstPaint : public QObject {
 public:
  long long at = 0;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint && at == 0) {
      at = std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
               .count();
    }
    return QObject::eventFilter(o, e);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel label(QStringLiteral("QUELT fuel list update"));
  FirstPaint firstPaint;
  label.installEventFilter(&firstPaint);
  label.resize(640, 480);
  label.show();
  QTimer::singleShot(0, &label, [&] {
    while (firstPaint.at == 0) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("shown_epoch_ns %lld\n", firstPaint.at);
    std::fflush(stdout);
    QCoreApplication::quit();
  });
  return QApplication::exec();
}
