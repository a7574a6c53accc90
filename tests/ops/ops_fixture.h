// The operations wired as the program wires them, against the simulated
// analyser on a real pseudo-terminal, with a recording view.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fuel/fuel_ops.h"
#include "link/clock_pump.h"
#include "sim/sim.h"
#include "tests/support/recording_view.h"

namespace quelt::test {

// A plausible row text with the given ID and description.
inline std::string RowText(int n, int id, const std::string& description = "Fuel") {
  return std::to_string(n) + ";" + std::to_string(id) + ";" + description +
         ";15,4;0,68;0,007;3,0;10,50;12,00;42,70;1";
}

inline std::vector<std::string> RowsWithIds(const std::vector<int>& ids) {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    rows.push_back(RowText(static_cast<int>(i + 1), ids[i], "Fuel " + std::to_string(ids[i])));
  }
  return rows;
}

class OpsTest : public ::testing::Test {
 protected:
  void Start(sim::Config config = {}) {
    link.Disconnect();  // a send leaves the port of the previous analyser open
    analyser = std::make_unique<sim::Analyser>(std::move(config));
    link.SetPortOverride(analyser->DevicePath());
  }
  std::vector<int> Ids() const {
    std::vector<int> ids;
    for (const auto& r : table.Rows()) ids.push_back(r.ID);
    return ids;
  }
  std::vector<int> Ns() const {
    std::vector<int> ns;
    for (const auto& r : table.Rows()) ns.push_back(r.N);
    return ns;
  }
  std::vector<std::string> Commands() const { return analyser->Transcript(); }

  ClockPump pump;
  AnalyserLink link{pump};
  FuelTable table;
  RecordingView view;
  FuelOperations ops{link, table, view};
  std::unique_ptr<sim::Analyser> analyser;

  OpsTest() {}
};

}  // namespace quelt::test
