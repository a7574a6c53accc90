// The window controller without a window: against the simulated analyser on
// a pseudo-terminal, its face a recorder that answers the boxes and file
// dialogs, its backups in the test's folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "control/window_controller.h"
#include "link/clock_pump.h"
#include "sim/sim.h"
#include "tests/control/recording_face.h"
#include "tests/ops/ops_fixture.h"
#include "tests/support/test_files.h"

namespace quelt::test {

class ControllerFixture : public ::testing::Test {
 public:  // tables of cases reach in through the fixture
  ControllerFixture() {
    window.Ops().SetBackupsFolder(TestDir() / "backups");
    window.Attach(&face);
    window.Shown();
  }
  ~ControllerFixture() override {
    window.Attach(nullptr);
    link.Disconnect();
  }

  // A fresh simulated analyser, and the link pointed at it.
  void Start(sim::Config config) {
    link.Disconnect();
    analyser = std::make_unique<sim::Analyser>(std::move(config));
    link.SetPortOverride(analyser->DevicePath());
  }
  void Start(std::vector<std::string> rows) {
    sim::Config config;
    config.rows = std::move(rows);
    Start(std::move(config));
  }
  // Three rows the analyser holds, natural gas H (16) among them.
  void Start() { Start(RowsWithIds({101, 16, 103})); }
  // A change the analyser has not got: the first row moves down.
  void Change() {
    window.Table().MoveToFirst();
    window.Do(control::Command::MoveDown);
  }
  FuelTable& Table() { return window.Table(); }

  ClockPump pump;
  AnalyserLink link{pump};
  control::WindowController window{link};
  RecordingFace face;
  std::unique_ptr<sim::Analyser> analyser;
};

}  // namespace quelt::test
