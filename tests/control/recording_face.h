// A window face that records what a window would show and answers the
// boxes and file dialogs as a user would: the answers are queued by the test.
#pragma once

#include <array>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "control/face.h"

namespace quelt::test {

class RecordingFace : public control::WindowFace {
 public:
  std::string caption, status, backupLine, backupTip;
  std::array<bool, control::kControlCount> enabled{};
  bool locked = false;
  bool busy = false;
  int progress = 0;
  std::vector<std::string> log;
  std::vector<control::Message> boxes;
  // The answers to the next boxes; an empty queue answers with the default
  // button, as Enter does.
  std::deque<control::Answer> answers;
  // The answers to the next file dialogs; none: cancelled.
  std::deque<std::filesystem::path> files;
  std::vector<control::FileChoice> fileDialogs;
  int edits = 0;
  std::vector<std::filesystem::path> opened;  // folders and documents
  bool openSucceeds = true;
  int closes = 0, laterCloses = 0;
  // Runs whenever the lock changes (a transfer starts or ends).
  std::function<void(bool)> onLock;

  bool Enabled(control::Control c) const { return enabled[static_cast<std::size_t>(c)]; }

  void SetCaption(const std::string& text) override { caption = text; }
  void SetStatusLine(const front::StatusLine& line) override { status = line.Text(); }
  void SetBackupLine(const std::string& text, const std::string& tip) override {
    backupLine = text;
    backupTip = tip;
  }
  void SetEnabled(control::Control c, bool on) override {
    enabled[static_cast<std::size_t>(c)] = on;
  }
  void SetTransferLock(bool on) override {
    locked = on;
    if (onLock) onLock(on);
  }
  void ClearLog() override { log.clear(); }
  void AddLogLine(const std::string& line) override { log.push_back(line); }
  void SetProgress(int value) override {
    progress = value;
    if (onProgress) onProgress(value);
  }
  // Runs at each progress step (a write shows the row it sends).
  std::function<void(int)> onProgress;
  void SetBusyCursor(bool on) override { busy = on; }
  control::Answer Ask(const control::Message& message) override {
    boxes.push_back(message);
    if (answers.empty()) return message.defaultAnswer;
    const control::Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::filesystem::path PickFile(const control::FileChoice& choice) override {
    fileDialogs.push_back(choice);
    if (files.empty()) return {};
    auto f = files.front();
    files.pop_front();
    return f;
  }
  // The editor: what the test's user does in it; OK when there is none.
  std::function<bool(control::RowEditor&)> onEdit;
  int redraws = 0;
  bool EditRow(control::RowEditor& editor) override {
    ++edits;
    return onEdit ? onEdit(editor) : true;
  }
  char32_t DecimalSeparator() const override { return U','; }
  // The grid's steps, as the window gets them.
  std::vector<control::GridFollower::Step> gridSteps;
  void ShowGridStep(const control::GridFollower::Step& step) override { gridSteps.push_back(step); }
  void RedrawGrid() override { ++redraws; }
  // The report's form: what it showed each time, and what the test's user
  // types in it (kept as shown when none) and whether OK or Cancel.
  std::vector<control::ReportParties> partyForms;
  std::optional<control::ReportParties> typedParties;
  bool partiesOk = true;
  bool EditReportParties(control::ReportParties& parties) override {
    partyForms.push_back(parties);
    if (typedParties) parties = *typedParties;
    return partiesOk;
  }
  bool OpenWithSystem(const std::filesystem::path& path) override {
    opened.push_back(path);
    return openSucceeds;
  }
  // Runs when the Backups view opens (a test drives the view in it).
  std::function<void()> onBackups;
  int backupViews = 0;
  void ShowBackups() override {
    ++backupViews;
    if (onBackups) onBackups();
  }
  // The settings store, and the port control as the window shows it.
  std::map<std::string, std::string> settings;
  std::vector<std::string> portTexts;
  int portChosen = -1;
  std::string LoadSetting(const std::string& name) override {
    const auto it = settings.find(name);
    return it == settings.end() ? std::string() : it->second;
  }
  void StoreSetting(const std::string& name, const std::string& value) override {
    settings[name] = value;
  }
  std::string portTip;
  void SetPortChoices(const std::vector<std::string>& texts, int chosen,
                      const std::string& tip) override {
    portTexts = texts;
    portChosen = chosen;
    portTip = tip;
  }
  void RequestClose() override { ++closes; }
  void RequestCloseLater() override { ++laterCloses; }
};

}  // namespace quelt::test
