// quelt-fuel: the window first, then the link and the operations, then the
// event loop until the window closes.
#include <QApplication>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "fuel/fuel_ops.h"
#include "fuel/table_session.h"
#include "link/glb.h"
#include "quelt/version.h"
#include "sim/inprocess_line.h"
#include "ui/form_main.h"
#include "ui/icons.h"
#include "ui/qt_pump.h"

namespace {

const char* const kUsage =
    "Usage: quelt-fuel [--port DEVICE] [--demo]\n"
    "Reads and writes the fuel table of a QUELT combustion analyser.\n"
    "\n"
    "  --port DEVICE  use this serial device instead of looking for the\n"
    "                 analyser's USB bridge (e.g. /dev/ttyUSB0, COM7)\n"
    "  --demo         attach a simulated analyser instead of a real one\n"
    "  --help         show this text\n"
    "  --version      show the version\n";

struct Options {
  std::string port;
  bool demo = false;
  // Hidden, for scripts: refresh once, then save a picture of the window
  // (--screenshot FILE) or print start-up time and memory (--bench), and end.
  // Between the refresh and the picture: send the table (--send), then load
  // a table file (--load FILE).
  std::string screenshot;
  bool bench = false;
  bool send = false;
  std::string load;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "quelt-fuel: %s\nTry 'quelt-fuel --help'.\n", message.c_str());
  std::exit(2);
}

// Our options are long ones; single-dash options belong to Qt (-platform ...)
// and are checked once Qt has taken its own.
Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* name) -> std::string {
      const std::string eq = std::string(name) + "=";
      if (a.rfind(eq, 0) == 0) return a.substr(eq.size());
      if (i + 1 >= argc) Fail(std::string(name) + " needs a value");
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (a == "--version") {
      std::puts("quelt-fuel " QUELT_VERSION);
      std::exit(0);
    } else if (a == "--demo") {
      o.demo = true;
    } else if (a == "--bench") {
      o.bench = true;
    } else if (a == "--send") {
      o.send = true;
    } else if (a == "--load" || a.rfind("--load=", 0) == 0) {
      o.load = value("--load");
    } else if (a == "--port" || a.rfind("--port=", 0) == 0) {
      o.port = value("--port");
      if (o.port.empty()) Fail("--port needs a device");
    } else if (a == "--screenshot" || a.rfind("--screenshot=", 0) == 0) {
      o.screenshot = value("--screenshot");
    } else if (a.rfind("--", 0) == 0) {
      Fail("unknown option '" + a + "'");
    }
  }
  if (o.demo && !o.port.empty()) Fail("--port and --demo exclude each other");
  return o;
}

// Whatever Qt left in the argument list that is not ours is unknown.
void CheckLeftovers(const QStringList& args) {
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == "--demo" || a == "--bench" || a == "--send" || a.startsWith("--port=") ||
        a.startsWith("--screenshot=") || a.startsWith("--load="))
      continue;
    if (a == "--port" || a == "--screenshot" || a == "--load") {
      ++i;
      continue;
    }
    Fail("unknown option '" + a.toStdString() + "'");
  }
}

std::int64_t EpochNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// Notes the moment the window is first painted.
class FirstPaint : public QObject {
 public:
  std::int64_t at = 0;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint && at == 0) at = EpochNs();
    return QObject::eventFilter(o, e);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  QApplication app(argc, argv);
  CheckLeftovers(QCoreApplication::arguments());
  QApplication::setApplicationName(QStringLiteral("quelt-fuel"));
  QApplication::setWindowIcon(quelt::ui::AppIcon());

  // The demo's analyser lives inside the program, paced like the real one's
  // 9600 baud line so that the progress bar moves as on a device.
  std::unique_ptr<quelt::sim::InProcessLine> simulated;
  if (options.demo) {
    quelt::sim::Config config;
    config.baud = 9600;
    simulated = std::make_unique<quelt::sim::InProcessLine>(config);
  }

  TFormMain form;
  QtPump pump;
  quelt::TGlb Glb(pump);
  pump.SetTickHandler([&Glb] { Glb.Timer1Timer(); });
  if (!options.port.empty()) Glb.PortOverride = options.port;
  quelt::TableSession session(Glb, form.TableFuel, form);
  if (simulated) session.AttachSimulated(*simulated, simulated->DevicePath());
  form.SetSession(&session);

  FirstPaint firstPaint;
  if (options.bench) form.installEventFilter(&firstPaint);
  form.show();

  if (!options.screenshot.empty() || options.bench) {
    QTimer::singleShot(0, &form, [&] {
      if (options.bench) {
        while (firstPaint.at == 0) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        std::printf("shown_epoch_ns %lld\n", static_cast<long long>(firstPaint.at));
      }
      form.BtRefresh->click();
      if (options.send) form.BtSend->click();
      if (!options.load.empty()) form.LoadTable(QString::fromStdString(options.load));
      QCoreApplication::processEvents();
      int status = 0;
      if (options.bench) std::printf("rss_after_refresh_kb %ld\n", ResidentKb());
      if (!options.screenshot.empty() &&
          !form.grab().save(QString::fromStdString(options.screenshot))) {
        std::fprintf(stderr, "quelt-fuel: cannot write %s\n", options.screenshot.c_str());
        status = 1;
      }
      std::fflush(stdout);
      QCoreApplication::exit(status);
    });
  }
  return QApplication::exec();
}
