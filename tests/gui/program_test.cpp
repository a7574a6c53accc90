// The quelt-fuel program from the outside: its options, its refusals, and a
// whole run on the simulated analyser.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

struct Run {
  int exitCode = -1;
  QString out, err;
};

// The program users get, or the probe build with the scripts' hooks.
Run Start(const QStringList& args, const char* program = QUELT_FUEL_PROGRAM) {
  QProcess p;
  p.start(QString::fromUtf8(program), args);
  Run r;
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

}  // namespace

class ProgramTest : public QObject {
  Q_OBJECT

 private slots:
  void help() {
    const Run r = Start({QStringLiteral("--help")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains(QStringLiteral("--port DEVICE")));
    QVERIFY(r.out.contains(QStringLiteral("--demo")));
  }

  void refusedOptions_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown long") << QStringList{"--bogus"} << "unknown option '--bogus'";
    QTest::newRow("unknown short") << QStringList{"-bogus"} << "unknown option '-bogus'";
    QTest::newRow("stray word") << QStringList{"COM7"} << "unknown option 'COM7'";
    // The scripts' hooks live in the probe build only.
    QTest::newRow("probe hook") << QStringList{"--demo", "--screenshot", "x.png"}
                                << "unknown option '--screenshot'";
    QTest::newRow("port without device") << QStringList{"--port"} << "--port needs a value";
    QTest::newRow("port and demo")
        << QStringList{"--port", "/dev/ttyUSB0", "--demo"} << "exclude each other";
    QTest::newRow("unknown language") << QStringList{"--lang", "xx"} << "unknown language 'xx'";
    QTest::newRow("language without code") << QStringList{"--lang"} << "--lang needs a value";
  }
  void refusedOptions() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run r = Start(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
  }

  // The system ending the window (logout, shutdown, a closed session) goes
  // through its controller, as a close does, instead of killing it: the
  // port gets its settings back and a write stops between two commands.
  void stopSignalsCloseTheWindow_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int{SIGTERM};
    QTest::newRow("SIGHUP") << int{SIGHUP};
  }
  void stopSignalsCloseTheWindow() {
    QFETCH(int, signal);
    QProcess p;
    p.start(QStringLiteral(QUELT_FUEL_PROGRAM), {QStringLiteral("--demo")});
    QVERIFY(p.waitForStarted());
    QTest::qWait(5000);  // generous: the handlers are set before the event loop runs
    ::kill(static_cast<pid_t>(p.processId()), signal);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
  }

  void demoRefreshAndPicture() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("window.png"));
    const Run r =
        Start({QStringLiteral("--demo"), QStringLiteral("--screenshot"), file}, QUELT_FUEL_PROBE);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QImage image(file);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() >= 600 && image.height() >= 600);
  }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "program_test.moc"
