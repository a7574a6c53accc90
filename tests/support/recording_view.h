// A FuelView that records what a user would see: the log, the progress
// values, the message boxes and the state of the buttons.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fuel/fuel_view.h"

namespace quelt::test {

class RecordingView : public FuelView {
 public:
  std::vector<std::string> log;
  std::vector<int> progress{0};
  std::vector<std::string> messages;
  bool refreshEnabled = true;
  bool sendEnabled = false;
  bool busyCursor = false;
  bool transferActive = false;
  int transfers = 0;
  std::vector<std::string> questions;
  bool answerYes = true;  // what the user answers to a question
  // Runs while a message box would be open (the user thinking, ticks going on).
  std::function<void(const std::string&)> onMessage;

  void ClearLog() override { log.clear(); }
  void AddLogLine(const std::string& line) override { log.push_back(line); }
  void SetProgress(int value) override { progress.push_back(value); }
  void SetBusyCursor(bool busy) override { busyCursor = busy; }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    if (onMessage) onMessage(text);
  }
  bool Confirm(const std::string& question) override {
    questions.push_back(question);
    return answerYes;
  }
  void EnableRefresh(bool enabled) override { refreshEnabled = enabled; }
  void EnableSend(bool enabled) override { sendEnabled = enabled; }
  void SetTransferActive(bool active) override {
    transferActive = active;
    if (active) ++transfers;
  }
  int Progress() const { return progress.back(); }
};

}  // namespace quelt::test
