// quelt-sim: the simulated analyser as a program of its own. Prints the
// pseudo-terminal to open on its first line and answers until SIGINT or
// SIGTERM.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "quelt/version.h"
#include "sim/delivery.h"
#include "sim/pty_line.h"
#include "sim/replay.h"
#include "sim/sim.h"
#include "text/command_line.h"
#include "text/text_helpers.h"

namespace {

constexpr const char* kUsage =
    "Usage: quelt-sim [OPTION]...\n"
    "Simulated QUELT analyser on a pseudo-terminal. Prints the device to open\n"
    "on the first line and answers until stopped (Ctrl-C, SIGTERM).\n"
    "\n"
    "  --table FILE        fuel rows to serve, one row text a line (UTF-8 or\n"
    "                      Windows-1252; blank lines and '#' lines skipped)\n"
    "  --type CODE         reply to R005 (default 20)\n"
    "  --serial TEXT       reply to R004 (default 08154711)\n"
    "  --baud N            pace replies like a line of N bits per second\n"
    "  --latency MS        wait MS milliseconds before each reply\n"
    "  --trickle MS        wait MS milliseconds before each reply byte after\n"
    "                      the first\n"
    "  --crlf              end every reply with CR LF instead of CR\n"
    "  --own-n             number row replies its own way: N is 100 + the\n"
    "                      position asked for\n"
    "  --beyond TEXT       reply TEXT to R401 past the rows stored (instead of\n"
    "                      an empty row)\n"
    "  --beyond-silent     no reply to R401 past the rows stored\n"
    "  --silent-after N    answer the first N commands, then nothing\n"
    "  --silent-on PREFIX  never answer a command that starts with PREFIX\n"
    "  --hang-up-on N      close the line on receiving the Nth command, as\n"
    "                      when the cable is pulled\n"
    "  --count-reply TEXT  reply TEXT to R402, whatever W402 set\n"
    "  --ignore-w402       answer W402 with OK but keep the count in use\n"
    "  --duplicate-reply-on N\n"
    "                      send the reply to the Nth command twice\n"
    "  --own-numbers       store the numbers of a written row as values and\n"
    "                      answer them in the analyser's own format\n"
    "                      (15,40;0,680;0,0070;3 for 15,4;0,68;0,007;3,0)\n"
    "  --echo              answer every command with its own text, as a\n"
    "                      loopback plug does; nothing is carried out\n"
    "  --link PATH         also make PATH a symbolic link to the device\n"
    "                      (removed again on exit)\n"
    "  --transcript FILE   append each command received as a line, bytes\n"
    "                      outside printable ASCII and '\\' as \\xNN; on exit,\n"
    "                      bytes still waiting for their CR as a last line\n"
    "                      \"(fragment) BYTES\"\n"
    "  --replay TRACE      play the analyser of a line trace (what the\n"
    "                      tool's trace option writes): each command gets the bytes the trace\n"
    "                      recorded after it, at their recorded delays and with\n"
    "                      their framing; a command the trace does not have at\n"
    "                      that place is reported on stderr and answered with\n"
    "                      silence. The options above do not apply\n"
    "  --replay-speed X    with --replay: play X times as fast (0.5: half as\n"
    "                      fast); default 1\n"
    "  --help              show this text\n"
    "  --version           show the version\n";

std::optional<int> Number(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string Escape(const std::string& command) {
  std::string out;
  for (const char c : command) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && c != '\\') {
      out.push_back(c);
    } else {
      out += quelt::HexEscape(b);
    }
  }
  return out;
}

int Usage(const std::string& complaint) {
  std::fprintf(stderr, "quelt-sim: %s\nTry 'quelt-sim --help'.\n", complaint.c_str());
  return 2;
}

// Points `link` at `target`, replacing an older link but never a file.
bool MakeLink(const std::string& link, const std::string& target) {
  struct stat st {};
  if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    std::fprintf(stderr, "quelt-sim: %s exists and is not a symbolic link\n", link.c_str());
    return false;
  }
  const std::string tmp = link + ".tmp" + std::to_string(::getpid());
  ::unlink(tmp.c_str());
  if (::symlink(target.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), link.c_str()) != 0) {
    std::fprintf(stderr, "quelt-sim: cannot make link %s: %s\n", link.c_str(),
                 std::strerror(errno));
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

// Removes the link only while it is still ours: another simulator may have
// taken the name over since.
void RemoveLink(const std::string& link, const std::string& target) {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
  if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == target) ::unlink(link.c_str());
}

// --replay: the trace's analyser on a pseudo-terminal until a stop signal.
int Replay(const std::string& tracePath, double speed, const std::string& link,
           const sigset_t& stops) {
  std::ifstream in(tracePath, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) {
    std::fprintf(stderr, "quelt-sim: cannot read %s\n", tracePath.c_str());
    return 2;
  }
  std::string error;
  auto steps = quelt::sim::ReplaySteps(text, &error);
  if (!steps) {
    std::fprintf(stderr, "quelt-sim: %s: %s\n", tracePath.c_str(), error.c_str());
    return 2;
  }
  quelt::sim::Replayer replayer(std::move(*steps), speed);
  quelt::sim::PtyLine line;
  if (!link.empty() && !MakeLink(link, line.SlavePath())) return 1;
  std::printf("%s\n", line.SlavePath().c_str());
  std::fflush(stdout);
  std::thread player([&] {
    using Clock = quelt::sim::Replayer::Clock;
    std::string pending;
    for (;;) {
      int waitMs = 1000;
      if (const auto due = replayer.NextDue()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now());
        waitMs = static_cast<int>(std::max<long long>(0, left.count()));
      }
      const auto got = line.Read(pending, waitMs);
      if (got == quelt::sim::PtyLine::ReadResult::kWoken ||
          got == quelt::sim::PtyLine::ReadResult::kClosed) {
        return;
      }
      while (const auto command = quelt::sim::TakeCommand(pending)) {
        if (const auto complaint = replayer.Command(*command, Clock::now())) {
          std::fprintf(stderr, "quelt-sim: replay: %s\n", complaint->c_str());
        }
      }
      const std::string bytes = replayer.Due(Clock::now());
      if (!bytes.empty()) line.Write(bytes.data(), bytes.size());
    }
  });
  int caught = 0;
  while (sigwait(&stops, &caught) != 0) {
  }
  line.Wake();
  player.join();
  if (!link.empty()) RemoveLink(link, line.SlavePath());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  quelt::sim::Config config;
  std::string link;
  std::string transcriptPath;
  static constexpr quelt::OptionSpec kOptions[] = {
      {"--table", true},        {"--type", true},
      {"--baud", true},         {"--latency", true},
      {"--silent-after", true}, {"--silent-on", true},
      {"--hang-up-on", true},   {"--count-reply", true},
      {"--ignore-w402", false}, {"--duplicate-reply-on", true},
      {"--echo", false},        {"--link", true},
      {"--transcript", true},   {"--own-numbers", false},
      {"--serial", true},       {"--trickle", true},
      {"--crlf", false},        {"--own-n", false},
      {"--beyond", true},       {"--beyond-silent", false},
      {"--replay", true},       {"--replay-speed", true},
  };
  const quelt::CommandLine line =
      quelt::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), kOptions);
  if (!line.error.empty()) return Usage(line.error);
  if (!line.operands.empty()) return Usage("unexpected argument '" + line.operands[0] + "'");
  if (line.Has("--help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (line.Has("--version")) {
    std::puts("quelt-sim " QUELT_VERSION);
    return 0;
  }
  std::string replayPath;
  double replaySpeed = 1;
  for (const auto& [name, value] : line.options) {
    if (name == "--replay") {
      replayPath = value;
      continue;
    }
    if (name == "--replay-speed") {
      char* end = nullptr;
      replaySpeed = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !(replaySpeed > 0) || replaySpeed > 1000) {
        return Usage("--replay-speed needs a number above 0, not '" + value + "'");
      }
      continue;
    }
    if (name == "--ignore-w402") {
      config.faults.ignoreW402 = true;
    } else if (name == "--echo") {
      config.faults.echo = true;
    } else if (name == "--own-numbers") {
      config.ownNumberFormat = true;
    } else if (name == "--crlf") {
      config.faults.lfAfterCr = true;
    } else if (name == "--own-n") {
      config.ownRowNumbers = true;
    } else if (name == "--beyond") {
      config.beyondRowsReply = value;
    } else if (name == "--beyond-silent") {
      config.silentBeyondRows = true;
    } else if (name == "--table") {
      try {
        config.rows = quelt::sim::LoadTableFile(value);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "quelt-sim: %s\n", e.what());
        return 2;
      }
    } else if (name == "--type") {
      config.type = value;
    } else if (name == "--serial") {
      config.serialNumber = value;
    } else if (name == "--link") {
      link = value;
    } else if (name == "--transcript") {
      transcriptPath = value;
    } else if (name == "--silent-on") {
      config.faults.silentOnPrefix = value;
    } else if (name == "--count-reply") {
      config.countReply = value;
    } else {
      const auto n = Number(value);
      if (!n) return Usage(name + " needs a whole number, not '" + value + "'");
      if (name == "--baud") config.baud = *n;
      if (name == "--latency") config.latencyMs = *n;
      if (name == "--trickle") config.trickleMs = *n;
      if (name == "--silent-after") config.faults.silentFrom = *n + 1;
      if (name == "--hang-up-on") config.faults.hangUpOn = *n;
      if (name == "--duplicate-reply-on") config.faults.duplicateReplyOn = *n;
    }
  }

  std::ofstream transcript;
  if (!transcriptPath.empty()) {
    transcript.open(transcriptPath, std::ios::binary | std::ios::app);
    if (!transcript) {
      std::fprintf(stderr, "quelt-sim: cannot open %s\n", transcriptPath.c_str());
      return 2;
    }
  }

  // Block the stop signals before the simulator's thread exists so that it
  // inherits the mask and only sigwait below ever sees them.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  // A file-size limit fails the transcript's writes instead of ending the
  // simulator.
  ::signal(SIGXFSZ, SIG_IGN);

  if (replayPath.empty() && line.Has("--replay-speed"))
    return Usage("--replay-speed needs --replay");
  if (!replayPath.empty()) {
    try {
      return Replay(replayPath, replaySpeed, link, stops);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "quelt-sim: %s\n", e.what());
      return 1;
    }
  }

  try {
    quelt::sim::Analyser analyser(config);
    if (transcript.is_open()) {
      analyser.OnCommand([&transcript](const std::string& command) {
        transcript << Escape(command) << '\n' << std::flush;
      });
    }
    const std::string device = analyser.DevicePath();
    if (!link.empty() && !MakeLink(link, device)) return 1;
    std::printf("%s\n", device.c_str());
    std::fflush(stdout);

    int caught = 0;
    while (sigwait(&stops, &caught) != 0) {
    }
    analyser.OnCommand(nullptr);
    // A command cut off before its CR (its sender died mid-write) would
    // become a command with the next CR; show that it is on the line.
    const std::string fragment = analyser.PendingInput();
    if (transcript.is_open() && !fragment.empty()) {
      transcript << "(fragment) " << Escape(fragment) << '\n' << std::flush;
    }
    if (!link.empty()) RemoveLink(link, device);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quelt-sim: %s\n", e.what());
    return 1;
  }
  return 0;
}
