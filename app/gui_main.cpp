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

#include "app/window_start.h"
#include "lang/choice.h"
#include "ui/backups_dialog.h"
#include "ui/icons.h"
#include "ui/main_window.h"
#include "ui/qt_pump.h"
#include "ui/stop_signals.h"

namespace {

// Shows what reading the options came to and ends the program.
[[noreturn]] void End(const quelt::app::OptionsRead& read) {
  std::fputs(read.text.c_str(), read.exitCode == 0 ? stdout : stderr);
  std::exit(read.exitCode);
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
  const std::vector<std::string> args(argv + 1, argv + argc);
  const quelt::app::OptionsRead early = quelt::app::ReadWindowOptions(args, true);
  if (early.end) End(early);
  FontConfigWarmUp fonts(early.options.left.empty());
  QApplication app(argc, argv);
  fonts.Join();
  // What Qt left of the arguments: anything it did not take is refused.
  std::vector<std::string> left;
  for (const QString& a : QCoreApplication::arguments().mid(1)) left.push_back(a.toStdString());
  const quelt::app::OptionsRead read = quelt::app::ReadWindowOptions(left, false);
  if (read.end) End(read);
  const quelt::app::WindowOptions& options = read.options;
  // Before the first window text.
  quelt::lang::UseLanguage(options.lang);
  QApplication::setApplicationName(QStringLiteral("quelt-fuel"));
  QApplication::setWindowIcon(quelt::ui::AppIcon());

  quelt::ui::QtPump pump;
  quelt::app::WindowSession session(
      pump, options, std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()),
      "quelt-fuel");
  if (!session.TraceProblem().empty()) End(quelt::app::Refused(session.TraceProblem()));
  quelt::control::WindowController& controller = session.Controller();
  quelt::ui::MainWindow form(controller);
  const quelt::ui::StopSignals stops([&controller] { controller.Terminate(); });

  FirstPaint firstPaint;
  const bool bench = !options.bench.empty();
  if (bench) form.installEventFilter(&firstPaint);
  form.show();

  if (options.refresh) {
    QTimer::singleShot(0, &form, [&] {
      std::FILE* figures = nullptr;
      if (bench) {
        figures = options.bench == "-" ? stdout : std::fopen(options.bench.c_str(), "w");
        while (firstPaint.at == 0) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      }
      if (figures)
        std::fprintf(figures, "shown_epoch_ns %lld\n", static_cast<long long>(firstPaint.at));
      quelt::app::RunProbeTransfers(controller, options);
      QCoreApplication::processEvents();
      int status = bench && figures == nullptr ? 1 : 0;
      if (figures) std::fprintf(figures, "rss_after_refresh_kb %ld\n", ResidentKb());
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
      if (figures != nullptr && figures != stdout) std::fclose(figures);
      std::fflush(stdout);
      QCoreApplication::exit(status);
    });
  }
  return QApplication::exec();
}
