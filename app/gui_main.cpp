// quelt-fuel: the window first, then the link and the operations, then the
// event loop until the window closes. Built a second time as
// quelt-fuel-probe (QUELT_PROBE) for scripts, benchmarks and tests: the same
// program with hooks that refresh once and then take a picture or report the
// start-up; the program users get has none of them.
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifdef QUELT_FONTCONFIG_WARMUP
#include <fontconfig/fontconfig.h>
#endif

#include "app/trace_option.h"
#include "control/window_controller.h"
#include "fuel/fuel_ops.h"
#include "lang/choice.h"
#include "link/analyser_link.h"
#include "quelt/version.h"
#include "sim/inprocess_line.h"
#include "text/command_line.h"
#include "ui/backups_dialog.h"
#include "ui/icons.h"
#include "ui/main_window.h"
#include "ui/qt_pump.h"
#include "ui/stop_signals.h"

namespace {

const char* const kUsage =
    "Usage: quelt-fuel [--port DEVICE] [--demo] [--lang de|en] [--trace FILE]\n"
    "Reads and writes the fuel table of a QUELT combustion analyser.\n"
    "\n"
    "  --port DEVICE  use this serial device instead of looking for the\n"
    "                 analyser's USB bridge (e.g. /dev/ttyUSB0, COM7)\n"
    "  --demo         attach a simulated analyser instead of a real one\n"
    "  --lang CODE    the window's language (de, en); without it the system's\n"
    "  --trace FILE   record every exchange with the analyser in FILE (a new\n"
    "                 file), to send in with a problem report\n"
    "  --help         show this text\n"
    "  --version      show the version\n";

struct Options {
  std::string port;
  bool demo = false;
  std::string lang;  // "": the system's language
  std::string trace;
  // The probe's hooks: refresh once, then save a picture of the window
  // (--screenshot FILE) or print start-up time and memory (--bench), and end.
  // Between the refresh and the picture: send the table (--send), then load
  // a table file (--load FILE); --backups pictures the Backups view instead.
  std::string screenshot;
  bool backups = false;
  bool bench = false;
  bool send = false;
  std::string load;
  // Arguments the first reading left for Qt to take or refuse.
  bool leftForQt = false;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "quelt-fuel: %s\nTry 'quelt-fuel --help'.\n", message.c_str());
  std::exit(2);
}

constexpr quelt::OptionSpec kOptions[] = {
    {"--port", true},       {"--demo", false},    {"--lang", true},
#ifdef QUELT_PROBE
    {"--bench", false},     {"--send", false},    {"--load", true},
    {"--screenshot", true}, {"--backups", false},
#endif
    {"--trace", true},
};

// Our options are long ones; single-dash options belong to Qt (-platform ...).
// The first reading, before Qt exists, answers --help and --version without a
// display and refuses a fault in ours; the second reads what Qt left and
// refuses whatever neither of us took.
Options ParseOptions(const std::vector<std::string>& args, bool qtHasTakenItsOwn) {
  const quelt::CommandLine line = quelt::ParseCommandLine(
      args, kOptions,
      qtHasTakenItsOwn ? quelt::ForeignOptions::kRefuse : quelt::ForeignOptions::kKeep);
  if (!line.error.empty()) Fail(line.error);
  if (qtHasTakenItsOwn && !line.operands.empty()) {
    Fail("unknown option '" + line.operands[0] + "'");
  }
  if (line.Has("--help")) {
    std::fputs(kUsage, stdout);
    std::exit(0);
  }
  if (line.Has("--version")) {
    std::puts("quelt-fuel " QUELT_VERSION);
    std::exit(0);
  }
  Options o;
  o.port = line.Value("--port").value_or("");
  o.demo = line.Has("--demo");
  o.bench = line.Has("--bench");
  o.send = line.Has("--send");
  o.load = line.Value("--load").value_or("");
  o.screenshot = line.Value("--screenshot").value_or("");
  o.backups = line.Has("--backups");
  o.lang = line.Value("--lang").value_or("");
  o.trace = line.Value("--trace").value_or("");
  o.leftForQt = !line.foreign.empty() || !line.operands.empty();
  if (o.demo && !o.port.empty()) Fail("--port and --demo exclude each other");
  if (line.Has("--lang")) {
    if (const std::string error = quelt::lang::LanguageOptionError(o.lang); !error.empty()) {
      Fail(error);
    }
  }
  return o;
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

// The system's font configuration (its files parsed, its font caches read)
// is the largest single cost before the window can be laid out, and Qt
// loads it at the window's first text. Loading it on a second thread while
// QApplication connects to the display takes it off the way; Qt then finds
// it loaded. Joined before the window, whose first text needs it. Only when
// every argument is the program's own: one left for Qt may still be refused,
// and a program that ends before Qt takes the configuration over would leave
// it loaded for nothing.
class FontConfigWarmUp {
 public:
#ifdef QUELT_FONTCONFIG_WARMUP
  explicit FontConfigWarmUp(bool start) {
    if (start) thread_ = std::thread([] { FcInit(); });
  }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  ~FontConfigWarmUp() { Join(); }

 private:
  std::thread thread_;
#else
  explicit FontConfigWarmUp(bool) {}
  void Join() {}
#endif
};

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit makes a write fail with EFBIG, reported like a full
  // disk, instead of ending the program with a half-written file.
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  const Options early = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), false);
  FontConfigWarmUp fonts(!early.leftForQt);
  QApplication app(argc, argv);
  fonts.Join();
  std::vector<std::string> left;
  for (const QString& a : QCoreApplication::arguments().mid(1)) left.push_back(a.toStdString());
  const Options options = ParseOptions(left, true);
  // Before the first window text.
  quelt::lang::UseLanguage(options.lang);
  QApplication::setApplicationName(QStringLiteral("quelt-fuel"));
  QApplication::setWindowIcon(quelt::ui::AppIcon());

  // The demo's analyser lives inside the program.
  std::unique_ptr<quelt::sim::InProcessLine> simulated;
  if (options.demo) simulated = quelt::sim::InProcessLine::ForDemo();

  quelt::app::TraceOption trace;
  quelt::ui::QtPump pump;
  quelt::AnalyserLink analyser(pump);
  if (!options.port.empty()) analyser.SetPortOverride(options.port);
  quelt::control::WindowController controller(analyser);
  if (simulated) controller.AttachSimulated(*simulated, simulated->DevicePath());
  if (std::string error; !trace.Start(options.trace, analyser, "quelt-fuel", &error)) Fail(error);
  controller.SetProgramFolder(
      std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
  quelt::ui::MainWindow form(controller);
  const quelt::ui::StopSignals stops([&controller] { controller.Terminate(); });

  FirstPaint firstPaint;
  if (options.bench) form.installEventFilter(&firstPaint);
  form.show();

  if (!options.screenshot.empty() || options.bench) {
    QTimer::singleShot(0, &form, [&] {
      if (options.bench) {
        while (firstPaint.at == 0) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        std::printf("shown_epoch_ns %lld\n", static_cast<long long>(firstPaint.at));
      }
      controller.Do(quelt::control::Command::Refresh);
      if (options.send) controller.Do(quelt::control::Command::Send);
      if (!options.load.empty()) controller.LoadTable(options.load);
      QCoreApplication::processEvents();
      int status = 0;
      if (options.bench) std::printf("rss_after_refresh_kb %ld\n", ResidentKb());
      std::unique_ptr<quelt::ui::BackupsDialog> backups;
      if (options.backups) {
        backups = std::make_unique<quelt::ui::BackupsDialog>(controller, &form);
        backups->show();
        QCoreApplication::processEvents();
      }
      QWidget& shown = backups ? static_cast<QWidget&>(*backups) : form;
      if (!options.screenshot.empty() &&
          !shown.grab().save(QString::fromStdString(options.screenshot))) {
        std::fprintf(stderr, "quelt-fuel: cannot write %s\n", options.screenshot.c_str());
        status = 1;
      }
      std::fflush(stdout);
      QCoreApplication::exit(status);
    });
  }
  return QApplication::exec();
}
