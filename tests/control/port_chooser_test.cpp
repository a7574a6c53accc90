// The port control: what it lists, what a Refresh then talks to, and what is
// remembered, against the simulated analyser on a pseudo-terminal. "$sim"
// stands for the simulator's device; discovery, when asked, finds it too, so
// a case tells which of the two a Refresh used.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "control/window_controller.h"
#include "link/clock_pump.h"
#include "sim/sim.h"
#include "tests/control/recording_face.h"
#include "tests/ops/ops_fixture.h"
#include "tests/support/test_files.h"

namespace quelt::test {
namespace {

using control::Command;
using control::Control;
using control::kAutomaticPortText;
using control::kPortSettingKey;

TEST(PortChooserTest, ChoiceListRefreshAndMemory) {
  const std::string bridgeSuffix = " - the analyser's USB bridge";
  struct Case {
    const char* what;
    std::optional<std::string> remembered;  // none: never stored
    std::string commandLine;                // the window's --port
    std::vector<PortEntry> listed;
    // The entry the user chooses after opening the list; -1: none; kUnplug:
    // the listed ports go away before the Refresh.
    int choose;
    std::vector<std::string> texts;
    int chosen;
    bool discovered;                     // the Refresh used discovery, else "$sim"
    std::optional<std::string> written;  // what was remembered; none: nothing
    bool goneLine;                       // the log says the remembered port is gone
  };
  constexpr int kUnplug = -2;
  const PortEntry sim{"$sim", "Adapter A", "ttyUSB1", false};
  const PortEntry bridge{"/dev/ttyUSB0", "ttyUSB0", "ttyUSB0", true};
  const PortEntry other{"/dev/ttyACM9", "ttyACM9", "ttyACM9", false};
  const Case cases[] = {
      {"first run: automatic",
       std::nullopt,
       "",
       {bridge},
       -1,
       {kAutomaticPortText, "ttyUSB0" + bridgeSuffix},
       0,
       true,
       std::nullopt,
       false},
      {"remembered and there",
       "$sim",
       "",
       {bridge, sim},
       -1,
       {kAutomaticPortText, "ttyUSB0" + bridgeSuffix, "Adapter A"},
       2,
       false,
       std::nullopt,
       false},
      {"remembered and gone: shown so, automatic",
       "/dev/ttyUSB7",
       "",
       {other},
       -1,
       {kAutomaticPortText, "ttyACM9", "/dev/ttyUSB7 - not connected"},
       2,
       true,
       std::nullopt,
       true},
      {"the command line wins for the run",
       "/dev/ttyACM9",
       "$sim",
       {other},
       -1,
       {kAutomaticPortText, "ttyACM9", "$sim"},
       2,
       false,
       std::nullopt,
       false},
      {"chosen: used and remembered",
       std::nullopt,
       "",
       {sim, other},
       1,
       {kAutomaticPortText, "Adapter A", "ttyACM9"},
       1,
       false,
       "$sim",
       false},
      {"automatic chosen again",
       "$sim",
       "",
       {sim},
       0,
       {kAutomaticPortText, "Adapter A"},
       0,
       true,
       "",
       false},
      {"chosen over the command line",
       std::nullopt,
       "/dev/ttyACM9",
       {sim, other},
       1,
       {kAutomaticPortText, "Adapter A", "ttyACM9"},
       1,
       false,
       "$sim",
       false},
      {"control characters in a remembered name are not shown",
       "/dev/tty\x1b[2J",
       "",
       {},
       -1,
       {kAutomaticPortText, "/dev/tty?[2J - not connected"},
       1,
       true,
       std::nullopt,
       true},
      {"remembered, then unplugged before the Refresh",
       "$sim",
       "",
       {sim},
       kUnplug,
       {kAutomaticPortText, "$sim - not connected"},
       1,
       true,
       std::nullopt,
       true},
      {"the entry of a gone port chosen: nothing changes",
       "/dev/ttyUSB7",
       "",
       {},
       1,
       {kAutomaticPortText, "/dev/ttyUSB7 - not connected"},
       1,
       true,
       std::nullopt,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Config config;
    config.rows = RowsWithIds({101, 16});
    sim::Analyser analyser(std::move(config));
    const auto subst = [&](std::string text) {
      if (const auto at = text.find("$sim"); at != std::string::npos)
        text.replace(at, 4, analyser.DevicePath());
      return text;
    };
    ClockPump pump;
    AnalyserLink link{pump};
    int discoveries = 0;
    link.SetDiscovery([&] {
      ++discoveries;
      return PortAt(analyser.DevicePath());
    });
    link.SetPortOverride(subst(c.commandLine));
    control::WindowController window{link};
    window.Ops().SetBackupsFolder(TestDir() / "backups");
    std::vector<PortEntry> listed = c.listed;
    for (PortEntry& p : listed) p.device = subst(p.device);
    window.Ports().SetLister([&] { return listed; });
    RecordingFace face;
    if (c.remembered) face.settings[kPortSettingKey] = subst(*c.remembered);
    const auto stored = face.settings;
    bool portDuringTransfer = true;
    face.onLock = [&](bool on) {
      if (on) portDuringTransfer = face.Enabled(Control::Port);
    };
    window.Attach(&face);
    window.Shown();
    EXPECT_TRUE(face.Enabled(Control::Port));

    if (c.choose >= 0) {
      window.PortListOpened();
      window.ChoosePort(c.choose);
    }
    if (c.written) {
      EXPECT_EQ(face.settings[kPortSettingKey], subst(*c.written));
    } else {
      EXPECT_EQ(face.settings, stored) << "nothing new to remember";
    }

    if (c.choose == kUnplug) listed.clear();
    window.Do(Command::Refresh);
    EXPECT_FALSE(portDuringTransfer) << "the port control is disabled during a transfer";
    EXPECT_TRUE(face.Enabled(Control::Port)) << "and enabled again after it";
    EXPECT_EQ(discoveries, c.discovered ? 1 : 0);
    // The control as it shows after the Refresh.
    std::vector<std::string> texts;
    for (const std::string& t : c.texts) texts.push_back(subst(t));
    EXPECT_EQ(face.portTexts, texts);
    EXPECT_EQ(face.portChosen, c.chosen);
    // The tip names the chosen port whole, however narrow the control.
    if (c.chosen >= 0) {
      EXPECT_EQ(face.portTip, texts.at(static_cast<std::size_t>(c.chosen)));
    }
    EXPECT_EQ(window.Table().RowCount(), 2) << "the Refresh read the analyser";
    bool gone = false;
    for (const std::string& line : face.log) {
      gone = gone || line.find("is not connected: the analyser is looked for automatically") !=
                         std::string::npos;
    }
    EXPECT_EQ(gone, c.goneLine);
    for (const std::string& line : face.log) {
      EXPECT_EQ(line.find('\x1b'), std::string::npos) << line;
    }
    window.Attach(nullptr);
  }
}

TEST(PortChooserTest, ATypedPortIsUsedAsGivenAndRemembered) {
  const PortEntry sim{"$sim", "Adapter A", "ttyUSB1", false};
  const PortEntry other{"/dev/ttyACM9", "ttyACM9", "ttyACM9", false};
  struct Case {
    const char* what;
    std::vector<PortEntry> listed;
    std::string typed;  // "$sim": the simulator's device
    int chosen;         // after the Refresh; 0: automatic, the typed text is not taken
  } cases[] = {{"a port not listed: an entry of its own", {other}, "$sim", 2},
               {"an entry's text chooses it", {sim, other}, "Adapter A", 1},
               {"a listed device, blanks around it", {other, sim}, "  $sim ", 2},
               {"nothing typed", {other}, " ", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Analyser analyser(sim::Config{});
    const auto subst = [&](std::string text) {
      if (const auto at = text.find("$sim"); at != std::string::npos)
        text.replace(at, 4, analyser.DevicePath());
      return text;
    };
    ClockPump pump;
    AnalyserLink link{pump};
    int discoveries = 0;
    link.SetDiscovery([&] { return ++discoveries, PortAt(analyser.DevicePath()); });
    control::WindowController window{link};
    std::vector<PortEntry> listed = c.listed;
    for (PortEntry& p : listed) p.device = subst(p.device);
    window.Ports().SetLister([&] { return listed; });
    RecordingFace face;
    window.Attach(&face);
    window.Shown();
    window.TypePort(subst(c.typed));
    window.Do(Command::Refresh);
    EXPECT_EQ(face.portChosen, c.chosen);
    EXPECT_EQ(discoveries, c.chosen == 0 ? 1 : 0) << "the port typed was used as given";
    EXPECT_EQ(face.settings[kPortSettingKey], c.chosen == 0 ? "" : analyser.DevicePath());
    EXPECT_GT(window.Table().RowCount(), 0) << "the Refresh read the analyser";
    window.Attach(nullptr);
  }
}

}  // namespace
}  // namespace quelt::test
