// Fault soak: refresh and send cycles against the simulated analyser, each
// with a fault drawn at random (seeded; the seed is printed first). After
// every operation it checks what the user sees and what went over the wire:
// - a read leaves the whole list, as the analyser holds it after the renaming
//   and insertion rules, or an empty table and "Transfer error" (the previous
//   table when even the identity went unanswered);
// - a send that lost a reply says "Timeout", never success;
// - the commands the analyser received are exactly the rows on screen, each
//   written with its position;
// - nothing crashes, and a watchdog ends the run when a cycle hangs.
//
//   fault_soak [--cycles N] [--seed S] [--watchdog SECONDS] [--verbose]
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "fuel/fuel_ops.h"
#include "fuel/gas_names.h"
#include "fuel/row_check.h"
#include "fuel/row_compare.h"
#include "link/clock_pump.h"
#include "sim/answer.h"
#include "sim/sim.h"
#include "tests/support/recording_view.h"
#include "text/text_helpers.h"

namespace quelt::soak {
namespace {

enum class Kind {
  kNone,
  kSilence,          // no reply to one command
  kNoCr,             // one reply without its CR
  kGarbage,          // noise bytes (any but CR) before one reply
  kNul,              // NUL bytes inside one reply
  kLf,               // an LF after every CR
  kOverlong,         // a reply of thousands of bytes
  kLongDescription,  // a row description beyond 30 characters
  kBigInteger,       // N or Soot beyond 16 bits in a row
  kHangUp,           // the cable pulled on receiving one command
  kUnplugged,        // nothing attached when the operation starts
  kIdlePull,         // the cable pulled and plugged in again after a send
  kCount
};
constexpr int kKinds = static_cast<int>(Kind::kCount);
// The send the window and the command line run, without its backup and
// read-back: the wire sequence is what the soak checks.
constexpr SendOptions kWireOnly{false, false};
// Every write first asks who is attached.
constexpr std::array<const char*, 4> kIdentity = {"R001", "R005", "R004", "R002"};
constexpr int kIdentityQueries = static_cast<int>(kIdentity.size());
constexpr std::array<const char*, kKinds> kKindNames = {"none",
                                                        "silence",
                                                        "no CR",
                                                        "garbage",
                                                        "NUL bytes",
                                                        "extra LF",
                                                        "over-long reply",
                                                        "description > 30",
                                                        "integer > 16 bits",
                                                        "hang-up",
                                                        "unplugged",
                                                        "pulled while idle"};

const char* Name(Kind k) { return kKindNames[static_cast<std::size_t>(k)]; }

// Faults that lose a reply: the operation must fail.
bool LosesReply(Kind k) { return k == Kind::kSilence || k == Kind::kNoCr || k == Kind::kHangUp; }

struct Options {
  long cycles = 60;
  std::uint64_t seed = 0;
  int watchdogSeconds = 60;
  bool verbose = false;
};

// The running context for failure messages and the watchdog.
struct Context {
  std::uint64_t seed = 0;
  std::atomic<long> cycle{0};
  std::atomic<long> beat{0};
  std::string what;  // the operation and fault in progress
};
Context g;

[[noreturn]] void Die(const std::string& why) {
  std::fflush(stdout);
  std::fprintf(stderr, "\nFAIL in cycle %ld (%s), seed %llu: %s\n", g.cycle.load(), g.what.c_str(),
               static_cast<unsigned long long>(g.seed), why.c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

void Check(bool ok, const std::string& why) {
  if (!ok) Die(why);
}

std::string Visible(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out.size() > 200 ? out.substr(0, 200) + "..." : out;
}

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// ---------------------------------------------------------------------------
// The analyser and its cable: a fixed --port path (a symlink) that points at
// whichever simulator is plugged in, so unplugging and plugging in again
// gives a new pseudo-terminal behind the same name.

class Device {
 public:
  Device() {
    char tmpl[] = "/tmp/quelt-soak-XXXXXX";
    if (!mkdtemp(tmpl)) Die("no temporary folder");
    dir_ = tmpl;
    port_ = (dir_ / "port").string();
  }
  ~Device() {
    sim_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  const std::string& Port() const { return port_; }
  sim::Config config;

  void Plug(std::vector<std::string> rows) {
    sim::Config c = config;
    c.rows = std::move(rows);
    c.faults = {};
    sim_ = std::make_unique<sim::Analyser>(c);
    std::error_code ec;
    std::filesystem::remove(port_, ec);
    std::filesystem::create_symlink(sim_->DevicePath(), port_);
    sim_->OnCommand([this](const std::string&) { OnCommand(); });
  }
  // The table stays in the analyser, as in the real one.
  void Pull() {
    if (!sim_) return;
    rows_ = sim_->Rows();
    sim_.reset();
  }
  void PlugAgain() { Plug(rows_); }
  bool Plugged() const { return sim_ != nullptr; }
  sim::Analyser& Sim() { return *sim_; }

  std::vector<std::string> Rows() const { return sim_ ? sim_->Rows() : rows_; }
  void SetRows(const std::vector<std::string>& rows) {
    sim::Config c = config;
    c.rows = rows;
    sim_->SetConfig(c);
  }
  // Identity replies and the like, keeping the table.
  void ApplyConfig() {
    sim::Config c = config;
    c.rows.reset();
    sim_->SetConfig(c);
  }

  // Arms the faults for the next operation; commands count from 1 again.
  void Arm(const sim::Faults& faults, int garbageOn = 0, std::string garbage = {}) {
    sim_->ClearTranscript();
    commands_ = 0;
    garbageOn_ = garbageOn;
    garbage_ = std::move(garbage);
    sim_->SetFaults(faults);
  }

 private:
  // Runs on the simulator's thread before the command is answered: noise
  // injected here reaches the tool just ahead of the reply.
  void OnCommand() {
    ++commands_;
    if (garbageOn_ > 0 && commands_ == garbageOn_) sim_->Inject(garbage_);
  }

  std::filesystem::path dir_;
  std::string port_;
  std::unique_ptr<sim::Analyser> sim_;
  std::vector<std::string> rows_;
  std::atomic<int> commands_{0};
  int garbageOn_ = 0;
  std::string garbage_;
};

// ---------------------------------------------------------------------------
// What the analyser holds and how the tool must read it.

struct Rng {
  std::mt19937_64 engine;
  explicit Rng(std::uint64_t seed) : engine(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(engine); }
  template <typename T>
  const T& Pick(const std::vector<T>& v) {
    return v[static_cast<std::size_t>(Int(0, static_cast<int>(v.size()) - 1))];
  }

  // Windows-1252 text without ';' and CR; `plain` keeps to printable bytes.
  std::string Text(int length, bool plain) {
    std::string s;
    while (static_cast<int>(s.size()) < length) {
      const int c = plain ? Int(0x20, 0xFF) : Int(0, 0xFF);
      if (c == ';' || c == '\r' || (plain && c >= 0x7F && c < 0xA0)) continue;
      s.push_back(static_cast<char>(c));
    }
    return s;
  }
  std::string Number(int decimals) {
    std::string s = std::to_string(Int(0, Chance(0.1) ? 99999 : 60));
    if (decimals > 0 && Chance(0.9)) {
      s += Chance(0.5) ? ',' : '.';
      for (int i = 0, n = Int(1, decimals + 1); i < n; ++i) s += static_cast<char>('0' + Int(0, 9));
    }
    return s;
  }
  std::string Row(int position) {
    static const std::vector<int> kIds = {1,  2,  3,  4,  5,  6,  7,  8, 9,
                                          10, 11, 12, 13, 16, 20, 50, 99};
    std::string r = std::to_string(Chance(0.9) ? position : Int(-32768, 32767)) + ";" +
                    std::to_string(Pick(kIds)) + ";" + Text(Int(0, 30), true);
    for (int d : {1, 2, 3, 1, 2, 2, 2}) r += ";" + Number(d);
    r += ";" + std::to_string(Chance(0.8) ? Int(0, 1) : Int(-32768, 32767));
    if (Chance(0.2)) r += ";";
    return r;
  }
  std::vector<std::string> Table() {
    const int n = Chance(0.1) ? Int(31, 36) : Int(0, 16);
    std::vector<std::string> rows;
    for (int i = 1; i <= n; ++i) rows.push_back(Row(i));
    return rows;
  }
};

// The bytes of a reply as the simulator frames them with a NUL fault.
std::string WithNuls(std::string reply) {
  reply.insert(reply.size() / 2, 1, '\0');
  reply.push_back('\0');
  return reply;
}

// The table a read must leave: the rows as received, natural gas L renamed,
// the built-in H row inserted when none came, N renumbered.
std::vector<FuelRow> ReadRules(const std::vector<ParsedFuelRow>& parsed, int language, int lGasId) {
  std::vector<FuelRow> rows;
  bool hSeen = false;
  for (const ParsedFuelRow& p : parsed) {
    FuelRow r = p.ToRow();
    hSeen = hSeen || r.ID == kNaturalGasHId;
    if (r.ID == lGasId && NaturalGasLName(language)) r.Description = NaturalGasLName(language);
    rows.push_back(r);
  }
  if (!hSeen) {
    FuelRow h = ReadFuelRowText(kDefaultHGasRow).ToRow();
    if (NaturalGasHName(language)) h.Description = NaturalGasHName(language);
    const std::size_t n = rows.size();
    const std::size_t at = n >= 4 ? 3 : (n == 0 ? 0 : n - 1);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), h);
  }
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i].N = static_cast<std::int16_t>(i + 1);
  return rows;
}

std::string Describe(const FuelRow& r) { return Visible(WriteFuelRowText(r, r.N)); }

void CheckTable(const std::vector<FuelRow>& got, const std::vector<FuelRow>& want,
                const char* what) {
  if (got == want) return;
  std::string msg = std::string(what) + ": " + std::to_string(got.size()) + " rows, expected " +
                    std::to_string(want.size());
  for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
    const std::string a = i < got.size() ? Describe(got[i]) : "-";
    const std::string b = i < want.size() ? Describe(want[i]) : "-";
    if (a != b || (i < got.size() && i < want.size() && !(got[i] == want[i]))) {
      msg += "\n  row " + std::to_string(i + 1) + ": got " + a + "\n         want " + b;
    }
  }
  Die(msg);
}

// ---------------------------------------------------------------------------

struct Tally {
  std::array<long, kKinds> refresh{};
  std::array<long, kKinds> send{};
  long refreshes = 0, refreshesOk = 0, sends = 0, sendsOk = 0, replugs = 0;
  double deadWallSeconds = 0, deadCpuSeconds = 0;
  long deadWaits = 0;
};

class Soak {
 public:
  explicit Soak(const Options& o) : opt_(o), rng_(o.seed) {
    link_.SetPortOverride(device_.Port());
    NewDevice();
  }

  void Run() {
    for (long c = 1; c <= opt_.cycles; ++c) {
      g.cycle = c;
      if (rng_.Chance(0.12)) NewDevice();
      const bool read = RefreshCycle();
      if (read) {
        Edit();
        SendCycle(true);
      }
      ++g.beat;
    }
  }

  const Tally& Counts() const { return tally_; }

 private:
  // A different analyser: another table and type.
  void NewDevice() {
    static const std::vector<std::string> kTypes = {"20",  "7",   "39", "40",
                                                    "$1E", " 21", "0",  "143"};
    device_.Pull();
    device_.config = {};
    device_.config.type = rng_.Pick(kTypes);
    device_.Plug(rng_.Table());
  }

  Kind Draw(bool forSend) {
    if (rng_.Chance(0.2)) return Kind::kNone;
    static const std::vector<Kind> kRefreshKinds = {
        Kind::kSilence, Kind::kNoCr,     Kind::kGarbage,         Kind::kNul,
        Kind::kLf,      Kind::kOverlong, Kind::kLongDescription, Kind::kBigInteger,
        Kind::kHangUp,  Kind::kUnplugged};
    static const std::vector<Kind> kSendKinds = {Kind::kSilence,   Kind::kNoCr,    Kind::kGarbage,
                                                 Kind::kNul,       Kind::kLf,      Kind::kHangUp,
                                                 Kind::kUnplugged, Kind::kIdlePull};
    return rng_.Pick(forSend ? kSendKinds : kRefreshKinds);
  }

  // Runs an operation, timing it when the line is dead meanwhile.
  template <typename Fn>
  bool Timed(Kind kind, Fn fn) {
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = ThreadCpuSeconds();
    const bool result = fn();
    if (kind == Kind::kHangUp || kind == Kind::kUnplugged) {
      tally_.deadWallSeconds +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
      tally_.deadCpuSeconds += ThreadCpuSeconds() - cpu0;
      ++tally_.deadWaits;
    }
    return result;
  }

  // Arms the drawn fault for the next operation; a device that is not
  // plugged in at all is the one fault the simulator cannot play.
  void Inject(Kind kind, const sim::Faults& faults, int garbageOn, const std::string& garbage) {
    if (kind == Kind::kUnplugged) {
      device_.Pull();
    } else {
      device_.Arm(faults, kind == Kind::kGarbage ? garbageOn : 0, garbage);
    }
  }

  void Replug() {
    device_.Pull();
    device_.PlugAgain();
    ++tally_.replugs;
  }

  // ---- refresh -------------------------------------------------------------

  bool RefreshCycle() {
    const Kind kind = Draw(false);
    ++tally_.refresh[static_cast<std::size_t>(kind)];
    ++tally_.refreshes;
    g.what = std::string("refresh, ") + Name(kind);
    if (opt_.verbose) std::printf("cycle %ld: %s\n", g.cycle.load(), g.what.c_str());

    // Faults that live in the analyser's table or identity.
    std::vector<std::string> rows = device_.Rows();
    const sim::Config plainConfig = device_.config;
    std::optional<std::pair<std::size_t, std::string>> longDescription;
    std::optional<std::size_t> badRow;
    if (kind == Kind::kLongDescription || kind == Kind::kBigInteger || kind == Kind::kOverlong) {
      if (rows.empty()) rows.push_back(rng_.Row(1));
      const std::size_t j =
          static_cast<std::size_t>(rng_.Int(0, static_cast<int>(rows.size()) - 1));
      ParsedFuelRow p = ReadFuelRowText(rows[j]);
      std::string row;
      if (kind == Kind::kLongDescription) {
        const std::string d = rng_.Text(rng_.Int(31, 80), true);
        row = std::to_string(j + 1) + ";" + std::to_string(p.ID) + ";" + d +
              ";1,0;2,0;3,0;4,0;5,0;6,0;7,0;0";
        longDescription = {j, d};
      } else if (kind == Kind::kBigInteger) {
        const long big =
            rng_.Chance(0.5) ? rng_.Int(32768, 2000000000) : -rng_.Int(32769, 2000000000);
        row = rng_.Chance(0.5)
                  ? std::to_string(big) + ";3;Big;1;1;1;1;1;1;1;0"
                  : std::to_string(j + 1) + ";3;Big;1;1;1;1;1;1;1;" + std::to_string(big);
        badRow = j;
      } else if (rng_.Chance(0.5)) {
        // A row that goes on for thousands of bytes: a huge description or
        // fields past the eleventh.
        row = rng_.Chance(0.5) ? std::to_string(j + 1) + ";7;" +
                                     rng_.Text(rng_.Int(2000, 12000), true) + ";1;1;1;1;1;1;1;0"
                               : rows[j] + ";" + rng_.Text(rng_.Int(2000, 12000), true);
      }
      if (!row.empty()) {
        rows[j] = row;
      } else {
        device_.config.identification = rng_.Text(rng_.Int(2000, 12000), true);
        device_.ApplyConfig();
      }
      // Also when the table was empty and got a row to carry the fault.
      device_.SetRows(rows);
    }

    // The commands of a refresh and the replies they get when nothing goes
    // wrong; the row commands follow from the count.
    // The count is the one the last W402 set; a table without one (new, or
    // just replaced) reports the rows it holds.
    const int inUse = device_.Sim().RowsInUse();
    const std::size_t rowsInUse = inUse >= 0 ? static_cast<std::size_t>(inUse) : rows.size();
    const std::string countReply = std::to_string(rowsInUse) + ";";
    std::vector<std::string> commands = {"", "", "R001", "R005", "R004", "R002", "", "R402"};
    auto answer = [&](int c, const std::string& command) -> std::string {
      (void)c;
      if (command.empty()) return "QUELT";
      if (command == "R001") return device_.config.identification;
      if (command == "R005") return device_.config.type;
      if (command == "R004") return device_.config.serialNumber;
      if (command == "R002") return device_.config.version;
      if (command == "R402") return countReply;
      const long k = std::stol(command.substr(4));
      return k <= static_cast<long>(rows.size()) ? rows[static_cast<std::size_t>(k - 1)]
                                                 : sim::EmptyRow(k);
    };

    int k = 0;  // the command the fault hits, 1-based
    std::string garbage;
    sim::Faults faults;
    const int total = 8 + static_cast<int>(rowsInUse);
    switch (kind) {
      case Kind::kSilence:
      case Kind::kNoCr:
      case Kind::kNul:
      case Kind::kHangUp:
        k = rng_.Int(1, total);
        if (kind == Kind::kSilence) faults.silentOn = {k};
        if (kind == Kind::kNoCr) faults.noCrOn = k;
        if (kind == Kind::kNul) faults.nulOn = k;
        if (kind == Kind::kHangUp) faults.hangUpOn = k;
        break;
      case Kind::kGarbage:
        k = rng_.Int(1, total);
        // Noise before the count must not ask for an endless list.
        do {
          garbage = rng_.Text(rng_.Int(1, 40), false);
        } while (k == 8 && ParseIntLenient([&] {
                             std::int32_t pos = 1;
                             return NextField(garbage + countReply, pos);
                           }()) > 100);
        break;
      case Kind::kLf:
        faults.lfAfterCr = true;
        break;
      default:
        break;
    }

    // The replies the tool must receive, command by command.
    auto reply = [&](int c) {
      std::string r = answer(c, commands[static_cast<std::size_t>(c - 1)]);
      if (kind == Kind::kNul && c == k) r = WithNuls(r);
      if (kind == Kind::kGarbage && c == k) r = garbage + r;
      // An LF or NUL in front of a reply (the LF the previous one left) is
      // framing: the link drops it.
      return r.substr(std::min(r.find_first_not_of(std::string("\n\0", 2)), r.size()));
    };

    const std::vector<FuelRow> before = table_.Rows();
    const int languageBefore = ops_.languageIndex();
    Inject(kind, faults, k, garbage);
    view_ = {};
    const bool result = Timed(kind, [&] { return ops_.Refresh(); });

    // What the tool must have done.
    const bool lost = LosesReply(kind);
    const bool identityLost = kind == Kind::kUnplugged || (lost && k <= 6);
    std::vector<std::string> identity;
    for (int c = 3; c <= 6 && !identityLost; ++c) identity.push_back(reply(c));

    bool expectOk = false;
    bool expectRefusal = false;
    int refusedRow = 0;
    std::vector<FuelRow> expected;
    int language = languageBefore, lGasId = -1;
    if (!identityLost) {
      if (const auto l = LanguageOfType(ParseIntLenient(identity[1]))) {
        language = l->languageIndex;
        lGasId = l->lGasFuelId;
      }
    }
    if (!identityLost && !(lost && k <= 8)) {
      // A count reply that is no number 0..999 ends the read before any row.
      const std::optional<int> countNumber = CountOfReply(reply(8));
      const std::int32_t count = countNumber.value_or(0);
      for (std::int32_t j = 1; j <= count; ++j) commands.push_back("R401" + ZeroPadInt(j, 2));
      std::vector<ParsedFuelRow> parsed;
      for (std::int32_t j = 1; j <= count; ++j) {
        if (lost && 8 + j == k) break;
        parsed.push_back(ReadFuelRowText(reply(8 + j)));
        if (!parsed.back().FitsRow()) {
          expectRefusal = true;
          refusedRow = j;
          commands.resize(static_cast<std::size_t>(8 + j));
          break;
        }
      }
      if (!lost && !expectRefusal && countNumber) {
        expectOk = true;
        expected = ReadRules(parsed, language, lGasId);
      }
    }
    if (lost) commands.resize(static_cast<std::size_t>(k));

    // The wire.
    if (kind != Kind::kUnplugged) {
      const auto got = device_.Sim().Transcript();
      Check(got == commands, "commands on the wire: " + std::to_string(got.size()) +
                                 " instead of " + std::to_string(commands.size()));
    }
    // The screen.
    const bool commError =
        std::find(view_.log.begin(), view_.log.end(), kCommunicationError) != view_.log.end();
    Check(result == expectOk, std::string("Refresh returned ") + (result ? "success" : "failure"));
    Check(view_.sendEnabled == expectOk, "send button state");
    Check(view_.refreshEnabled && !view_.transferActive && !view_.busyCursor,
          "controls left locked");
    Check(commError == (lost || kind == Kind::kUnplugged), "\"Communication error !\" in the log");
    Check(!link_.port().isOpen(), "Refresh left the port open");
    if (identityLost) {
      Check(view_.messages.empty(), "a message box after a failed identity");
      CheckTable(table_.Rows(), before, "a failed identity changed the table");
    } else {
      const char* labels[] = {"Found      :", "Type       :", "Serial No. :", "Version    :"};
      for (std::size_t i = 0; i < 4; ++i) {
        Check(view_.log.size() > 9 + i && view_.log[9 + i] == labels[i] + DeviceText(identity[i]),
              std::string("log line ") + labels[i] + " should be " + Visible(identity[i]));
      }
      if (expectOk) {
        Check(view_.messages.empty(), "a message box after a good read");
        Check(view_.Progress() == kProgressFullScale, "progress after a good read");
        CheckTable(table_.Rows(), expected, "table after the read");
        int h = 0;
        while (h < table_.RowCount() && table_.Row(h).ID != kNaturalGasHId) ++h;
        Check(table_.CurrentIndex() == h, "the first H row is not selected");
        Check(ops_.languageIndex() == language && ops_.lGasFuelId() == lGasId, "gas-name language");
        if (longDescription && ReadFuelRowText(rows[longDescription->first]).ID != lGasId) {
          const std::string cut = longDescription->second.substr(0, kDescriptionMax);
          Check(std::any_of(table_.Rows().begin(), table_.Rows().end(),
                            [&](const FuelRow& r) { return r.Description == cut; }),
                "a description beyond 30 characters was not cut to its first 30");
        }
      } else {
        Check(view_.messages == std::vector<std::string>{kTransferError},
              "no \"Transfer error\" after a failed read");
        Check(table_.IsEmpty(), "rows left after a failed read");
        Check(view_.Progress() == 0, "progress after a failed read");
        if (expectRefusal) {
          Check(std::any_of(view_.log.begin(), view_.log.end(),
                            [&](const std::string& l) {
                              return l.rfind("Row " + std::to_string(refusedRow) + " refused", 0) ==
                                     0;
                            }),
                "the refused row is not named in the log");
        }
      }
    }
    Check(!badRow || !expectOk, "a row beyond 16 bits was accepted");
    if (expectOk) ++tally_.refreshesOk;

    // Undo what was only there for this fault; plug in again after a pull.
    if (kind == Kind::kHangUp || kind == Kind::kUnplugged) Replug();
    if (badRow || kind == Kind::kOverlong) {
      device_.config = plainConfig;
      device_.ApplyConfig();
      if (badRow) {
        rows[*badRow] = rng_.Row(static_cast<int>(*badRow) + 1);
        device_.SetRows(rows);
      }
    }
    device_.Arm({});
    return expectOk;
  }

  // ---- what the user does between a read and a send --------------------------

  void Edit() {
    for (int i = 0, n = rng_.Int(0, 4); i < n && !table_.IsEmpty(); ++i) {
      table_.MoveTo(rng_.Int(0, table_.RowCount() - 1));
      switch (rng_.Int(0, 5)) {
        case 0:
          ops_.MoveDown();
          break;
        case 1:
          ops_.MoveUp();
          break;
        case 2: {
          static const FuelField kFields[] = {FuelField::Co2Max, FuelField::A2,   FuelField::B,
                                              FuelField::RefO2,  FuelField::Vatr, FuelField::Vaf,
                                              FuelField::HU};
          table_.BeginEdit();
          table_.SetDecimal(kFields[rng_.Int(0, 6)], rng_.Int(0, 999999) / 1000.0);
          table_.StoreEdit();
          break;
        }
        case 3:
          table_.BeginEdit();
          table_.SetDescription(rng_.Text(rng_.Int(0, 30), true));
          table_.StoreEdit();
          break;
        case 4:
          table_.DeleteCurrent();
          break;
        default: {
          FuelRow r = ReadFuelRowText(rng_.Row(table_.CurrentIndex() + 1)).ToRow();
          r.N = static_cast<std::int16_t>(table_.RowCount() + 1);
          table_.InsertRow(r);
          break;
        }
      }
    }
  }

  // ---- send ------------------------------------------------------------------

  void SendCycle(bool mayRetry) {
    const Kind kind = Draw(true);
    ++tally_.send[static_cast<std::size_t>(kind)];
    ++tally_.sends;
    g.what = std::string("send, ") + Name(kind);
    if (opt_.verbose) std::printf("cycle %ld: %s\n", g.cycle.load(), g.what.c_str());

    const std::vector<FuelRow> screen = table_.Rows();
    const int n = static_cast<int>(screen.size());
    // A row the wire could not carry stops the send before anything goes out.
    bool refusable = false;
    for (int i = 0; i < std::min(n, kMaxRowsSent); ++i)
      refusable = refusable || RowProblem(screen[static_cast<std::size_t>(i)]).has_value();
    std::vector<std::string> commands;
    for (int i = 0; i < std::min(n, kMaxRowsSent); ++i)
      commands.push_back("W401" + WriteFuelRowText(screen[static_cast<std::size_t>(i)], i + 1));
    commands.push_back("W402" + std::to_string(std::min(n, kMaxRowsUsed)) + ";X;X;");
    const int total = static_cast<int>(commands.size());
    const std::vector<std::string> rowsBefore = device_.Rows();

    int k = 0;
    sim::Faults faults;
    std::string garbage;
    switch (kind) {
      case Kind::kSilence:
        faults.silentOn = {k = rng_.Int(1, total)};
        break;
      case Kind::kNoCr:
        faults.noCrOn = k = rng_.Int(1, total);
        break;
      case Kind::kNul:
        faults.nulOn = k = rng_.Int(1, total);
        break;
      case Kind::kHangUp:
        faults.hangUpOn = k = rng_.Int(1, total);
        break;
      case Kind::kGarbage:
        k = rng_.Int(1, total);
        garbage = rng_.Text(rng_.Int(1, 40), false);
        break;
      case Kind::kLf:
        faults.lfAfterCr = true;
        break;
      default:
        break;
    }
    // A write asks the identity first (still the analyser last read?): the
    // faults land on the write's own commands after it.
    if (!faults.silentOn.empty()) faults.silentOn[0] += kIdentityQueries;
    if (faults.noCrOn != 0) faults.noCrOn += kIdentityQueries;
    if (faults.nulOn != 0) faults.nulOn += kIdentityQueries;
    if (faults.hangUpOn != 0) faults.hangUpOn += kIdentityQueries;
    Inject(kind, faults, k + kIdentityQueries, garbage);
    view_ = {};
    SendOutcome::Result outcome = SendOutcome::Result::Sent;
    const bool result = Timed(kind, [&] {
      const SendOutcome sent = ops_.SendTable(kWireOnly);
      ShowMessages(view_, sent);
      outcome = sent.result;
      return outcome == SendOutcome::Result::Sent;
    });
    if (refusable) {
      Check(outcome == SendOutcome::Result::Refused, "a row the wire cannot carry was not refused");
      Check(kind == Kind::kUnplugged || device_.Sim().Transcript().empty(),
            "a refused send put commands on the wire");
      CheckTable(table_.Rows(), screen, "the refused send changed the table");
      if (kind == Kind::kHangUp || kind == Kind::kUnplugged || kind == Kind::kIdlePull) Replug();
      device_.Arm({});
      return;
    }

    const bool lost = LosesReply(kind) || kind == Kind::kUnplugged;
    int sent = total;     // commands that reached the analyser
    int carried = total;  // commands it carried out
    if (kind == Kind::kUnplugged) sent = carried = 0;
    if (LosesReply(kind)) {
      sent = k;
      carried = kind == Kind::kNoCr ? k : k - 1;
    }
    const std::vector<std::string> allCommands = commands;
    commands.resize(static_cast<std::size_t>(sent));

    Check(result == !lost, std::string("the send returned ") + (result ? "success" : "failure"));
    Check(lost ? view_.messages.size() == 1 && view_.messages[0].rfind(kTimeout, 0) == 0
               : view_.messages.empty(),
          lost ? "a lost reply did not say \"Timeout\"" : "a message box after a good send");
    Check(view_.Progress() == (lost ? 0 : kProgressFullScale), "progress after the send");
    Check(!view_.transferActive && !view_.busyCursor, "controls left locked");
    CheckTable(table_.Rows(), screen, "the send changed the table");
    if (kind != Kind::kUnplugged) {
      auto got = device_.Sim().Transcript();
      Check(got.size() >= kIdentity.size() &&
                std::equal(kIdentity.begin(), kIdentity.end(), got.begin()),
            "the send did not ask the identity first");
      got.erase(got.begin(), got.begin() + std::min(std::ssize(kIdentity), std::ssize(got)));
      if (got != commands) {
        std::string msg = "commands on the wire differ from the screen:";
        for (std::size_t i = 0; i < std::max(got.size(), commands.size()); ++i) {
          const std::string a = i < got.size() ? got[i] : "-";
          const std::string b = i < commands.size() ? commands[i] : "-";
          if (a != b)
            msg += "\n  " + std::to_string(i + 1) + ": got  " + Visible(a) + "\n     want " +
                   Visible(b);
        }
        Die(msg);
      }
      // The analyser now holds what was on screen, row by row.
      const auto rows = device_.Sim().Rows();
      for (int i = 0; i < std::min(carried, std::min(n, kMaxRowsSent)); ++i) {
        Check(static_cast<int>(rows.size()) > i && "W401" + rows[static_cast<std::size_t>(i)] ==
                                                       commands[static_cast<std::size_t>(i)],
              "the analyser's row " + std::to_string(i + 1) + " differs from the screen");
      }
      for (std::size_t i = static_cast<std::size_t>(std::min(carried, std::min(n, kMaxRowsSent)));
           i < rowsBefore.size(); ++i) {
        Check(rows.size() > i && rows[i] == rowsBefore[i], "a row that was not sent changed");
      }
      if (carried == total)
        Check(device_.Sim().RowsInUse() == std::min(n, kMaxRowsUsed), "count in use");
    }
    if (!lost) ++tally_.sendsOk;

    if (kind == Kind::kHangUp || kind == Kind::kUnplugged || kind == Kind::kIdlePull) Replug();
    device_.Arm({});
    // A send after a failed one must try again, not fail at once.
    if (lost && mayRetry && rng_.Chance(0.5)) {
      g.what = "send again after a failed send";
      ++tally_.sends;
      ++tally_.send[static_cast<std::size_t>(Kind::kNone)];
      view_ = {};
      const SendOutcome again = ops_.SendTable(kWireOnly);
      ShowMessages(view_, again);
      Check(again.result == SendOutcome::Result::Sent,
            "a send after a failed send did not succeed");
      Check(view_.messages.empty(), "a message box after the second send");
      std::vector<std::string> want(kIdentity.begin(), kIdentity.end());
      want.insert(want.end(), allCommands.begin(), allCommands.end());
      Check(device_.Sim().Transcript() == want,
            "the second send's commands differ from the screen");
      ++tally_.sendsOk;
      device_.Arm({});
    }
  }

  Options opt_;
  Rng rng_;
  Device device_;
  ClockPump pump_;
  AnalyserLink link_{pump_};
  FuelTable table_;
  test::RecordingView view_;
  FuelOperations ops_{link_, table_, view_};
  Tally tally_;
};

Options Parse(int argc, char** argv) {
  Options o;
  o.seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
           static_cast<std::uint64_t>(getpid());
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "%s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--cycles") {
      o.cycles = std::stol(value());
    } else if (a == "--seed") {
      o.seed = std::stoull(value());
    } else if (a == "--watchdog") {
      o.watchdogSeconds = std::stoi(value());
    } else if (a == "--verbose") {
      o.verbose = true;
    } else {
      std::fprintf(stderr,
                   "usage: fault_soak [--cycles N] [--seed S] [--watchdog SECONDS] [--verbose]\n");
      std::exit(2);
    }
  }
  return o;
}

}  // namespace
}  // namespace quelt::soak

int main(int argc, char** argv) {
  using namespace quelt::soak;
  const Options opt = Parse(argc, argv);
  g.seed = opt.seed;
  std::printf("fault soak: %ld cycles, seed %llu\n", opt.cycles,
              static_cast<unsigned long long>(opt.seed));
  std::fflush(stdout);

  // The watchdog: a cycle that makes no progress for this long is a hang.
  std::thread([s = opt.watchdogSeconds] {
    long last = -1;
    auto since = std::chrono::steady_clock::now();
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      const long beat = g.beat.load();
      if (beat != last) {
        last = beat;
        since = std::chrono::steady_clock::now();
      } else if (std::chrono::steady_clock::now() - since > std::chrono::seconds(s)) {
        Die("hang: no cycle finished for " + std::to_string(s) + " s");
      }
    }
  }).detach();

  const auto start = std::chrono::steady_clock::now();
  Soak soak(opt);
  soak.Run();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const Tally& t = soak.Counts();

  std::printf("%-20s %8s %8s\n", "fault", "refresh", "send");
  for (int k = 0; k < kKinds; ++k) {
    std::printf("%-20s %8ld %8ld\n", kKindNames[static_cast<std::size_t>(k)],
                t.refresh[static_cast<std::size_t>(k)], t.send[static_cast<std::size_t>(k)]);
  }
  std::printf(
      "refreshes %ld (%ld read the list), sends %ld (%ld complete), plugged in again %ld times\n",
      t.refreshes, t.refreshesOk, t.sends, t.sendsOk, t.replugs);
  if (t.deadWaits > 0) {
    std::printf("dead line: %ld operations, %.1f s waiting, %.0f ms processor time (%.2f%%)\n",
                t.deadWaits, t.deadWallSeconds, t.deadCpuSeconds * 1000,
                100 * t.deadCpuSeconds / t.deadWallSeconds);
  }
  std::printf("%ld cycles in %.1f s, seed %llu: every check held\n", opt.cycles, seconds,
              static_cast<unsigned long long>(opt.seed));
  return 0;
}
