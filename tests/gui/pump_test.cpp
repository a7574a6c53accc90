// The window's message pump: ticks every 100 ms, a wait that ends when the
// port has input, and no busy loop, neither idle with bytes left unread nor
// in waits on a line that hung up.
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <ctime>

#include "link/line.h"
#include "link/serial_port.h"
#include "ui/qt_pump.h"

using namespace quelt::ui;

namespace {

struct Pty {
  int master = -1, slave = -1;
  Pty() {
    openpty(&master, &slave, nullptr, nullptr, nullptr);
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
  }
  ~Pty() {
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
  }
  void Send(const char* bytes) { QVERIFY(write(master, bytes, strlen(bytes)) > 0); }
  // The tool's port on the slave side, as the link opens it.
  void OpenPort(quelt::SerialPort& port) const {
    port.SetDevicePath(ttyname(slave));
    port.Open();
    port.ApplySettings();
    QVERIFY(port.isOpen());
  }
};

double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

}  // namespace

class PumpTest : public QObject {
  Q_OBJECT

 private slots:
  void ticksArrive() {
    QtPump pump;
    int ticks = 0;
    pump.AddTickHandler([&] { ++ticks; });
    QTest::qWait(1000);
    QVERIFY2(ticks >= 5 && ticks <= 15, qPrintable(QString::number(ticks)));
  }

  void waitEndsOnInputOrTick() {
    QtPump pump;
    Pty pty;
    QVERIFY(pty.slave >= 0);
    int ticks = 0;
    pump.AddTickHandler([&] { ++ticks; });

    quelt::SerialPort port;
    pty.OpenPort(port);
    pty.Send("x");
    QTRY_VERIFY(quelt::DeviceLine().BytesWaiting(pty.slave) > 0);
    QElapsedTimer t;
    t.start();
    pump.WaitForActivity(port, -1);
    QVERIFY2(t.elapsed() < 50, "input waiting, yet the wait did not return at once");

    // Nothing to read: the next tick ends the wait.
    char c;
    QCOMPARE(read(pty.slave, &c, 1), 1);
    for (int i = 0; i < 3 && ticks == 0; ++i) pump.WaitForActivity(port, -1);
    QVERIFY(ticks > 0);
  }

  void idleLoopDoesNotSpinOnUnreadBytes() {
    QtPump pump;
    Pty pty;
    quelt::SerialPort port;
    pty.OpenPort(port);
    pump.WaitForActivity(port, -1);  // the notifier exists from now on
    pty.Send("left over");
    const double cpu = CpuMs();
    QEventLoop idle;
    QTimer::singleShot(500, &idle, &QEventLoop::quit);
    idle.exec();
    QVERIFY2(CpuMs() - cpu < 200, qPrintable(QString::number(CpuMs() - cpu)));
  }

  void waitsOnHungUpLineDoNotSpin() {
    QtPump pump;
    Pty pty;
    quelt::SerialPort port;
    pty.OpenPort(port);
    close(pty.master);
    pty.master = -1;
    int waits = 0;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 500) {
      pump.WaitForActivity(port, -1);
      ++waits;
    }
    QVERIFY2(waits < 50, qPrintable(QString::number(waits)));
  }
};

QTEST_MAIN(PumpTest)
#include "pump_test.moc"
