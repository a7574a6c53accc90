#include "control/window_controller.h"

#include <utility>

#include "control/user_guide.h"
#include "fuel/atomic_file.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "quelt/version.h"

namespace quelt::control {
WindowController::WindowController(AnalyserLink& link) : state_(link, view_) {
  state_.ops.SetTitleLine(lang::Tr(kTitleLine));
  // A write asks between its commands: the system ending the program stops
  // it after the command in flight, never in the middle of one.
  state_.ops.SetStopRequest([this] { return state_.terminating; });
  state_.unsent.MarkInSync(state_.table);
  state_.table.SetListener([this](FuelTable::Change change) { display_.TableChanged(change); });
}

void WindowController::Attach(WindowFace* face) {
  state_.face = face;
  record_.LoadLogHeight();
  display_.Update();
}

void WindowController::AttachSimulated(Line& line, const std::string& device) {
  state_.link.UseLine(line);
  state_.link.SetPortOverride(device);
  state_.demo = true;
  state_.ops.UseDemoBackups();
  state_.ports.Simulated();
  state_.ops.SetTitleLine(lang::Format(lang::Tr("{1} - simulated analyser"), lang::Tr(kTitleLine)));
}

void WindowController::Shown() {
  state_.ops.ShowIntro();
  if (state_.face != nullptr) {
    exports_.LoadParties();
    ports_.Start();
  }
  state_.sendEnabled = false;
  state_.SetProgress(0);
  display_.Update();
}

void WindowController::Do(Command command) {
  WindowFace* face = state_.face;
  if (face == nullptr) return;
  const bool idle = !state_.transferActive;
  // Keys reach here also while their button is disabled; a command that
  // starts a transfer or changes the table waits for the transfer to end.
  switch (command) {
    case Command::Refresh:
      transfers_.Refresh();
      break;
    case Command::Send:
      transfers_.Send();
      break;
    case Command::MoveUp:
    case Command::MoveDown:
    case Command::Edit:
    case Command::Delete:
    case Command::Add:
    case Command::Duplicate:
      // Like every change of the table, refused while a transfer runs.
      if (idle) edits_.Change(command);
      break;
    case Command::Undo:
    case Command::Redo:
      if (idle) edits_.Undo(command == Command::Redo);
      break;
    case Command::Open:
      files_.Open();
      break;
    case Command::Save:
      files_.Save();
      break;
    case Command::Exit:
      face->RequestClose();
      return;  // the face may be gone
    case Command::About:
      state_.AskOfferingTrace(AboutMessage(About()));
      break;
    case Command::Help:
      ShowUserGuide();
      break;
    case Command::Backups:
      if (idle) face->ShowBackups();
      break;
    case Command::ExportCsv:
      exports_.Export(ExportKind::Csv);
      break;
    case Command::Report:
      exports_.Export(ExportKind::Report);
      break;
    case Command::SessionLog:
      record_.OpenTodaysLog();
      break;
    case Command::SaveTrace:
      exports_.SaveTrace();
      break;
    case Command::OpenBackupFolder:
      OpenBackupFolder();
      break;
  }
  // A trace asked for during a transfer is saved once it has ended: the
  // trace then holds how it ended.
  if (!state_.transferActive && std::exchange(state_.traceWanted, false)) exports_.SaveTrace();
  display_.Update();
}

bool WindowController::KeyPressed(Key key, bool ctrl, bool inGrid) {
  const auto command = CommandForKey(key, ctrl, inGrid);
  if (command) Do(*command);
  return command.has_value();
}

void WindowController::Terminate() {
  state_.terminating = true;
  state_.closePending = true;
  // A transfer in progress closes the window once it has stopped.
  if (!state_.ops.Busy() && state_.face != nullptr) state_.face->RequestCloseLater();
}

bool WindowController::CloseRequested() {
  FuelOperations& ops = state_.ops;
  if (ops.Busy()) {
    // The stop request ends the transfer after the command in flight.
    if (state_.terminating) return false;
    // End the transfer first; the window closes once its closing steps ran.
    if (!state_.closePending || !ops.Aborting()) {
      state_.closePending = true;
      ops.AbortTransfer();
    } else if (state_.face != nullptr) {
      state_.face->RequestCloseLater();
    }
    return false;
  }
  state_.closePending = false;
  return state_.terminating || files_.MayDropChanges(true);
}

bool WindowController::PickRow(int row) {
  if (state_.transferActive) return false;
  FuelTable& table = state_.table;
  if (row >= 0 && row < table.RowCount() && row != table.CurrentIndex()) table.MoveTo(row);
  return true;
}

bool WindowController::CellChanged(int row, FuelField field) const {
  return state_.marks.CellChanged(state_.table, row, field);
}

std::string WindowController::About() const {
  const std::filesystem::path backups = state_.ops.BackupsFolder();
  std::string text = AboutText(QUELT_VERSION, Port(), backups);
  // Named once a language other than the program's own English is in use;
  // the English About stays as it always was.
  if (lang::Language() != "en") {
    text += '\n';
    text += lang::Format(lang::Tr("Language: {1}"), lang::LanguageName());
  }
  return text;
}

void WindowController::ShowUserGuide() {
  const std::filesystem::path guide = FindUserGuide(programFolder_, lang::Language());
  if (guide.empty()) {
    state_.Ask(WarningMessage(lang::Format(
        lang::Tr("The user guide is not installed: there is no USER-GUIDE file in {1}."),
        PathText(programFolder_))));
  } else if (!state_.face->OpenWithSystem(guide)) {
    state_.Ask(WarningMessage(lang::Format(
        lang::Tr("The system has no program to show the user guide {1}."), PathText(guide))));
  }
}

void WindowController::OpenBackupFolder() {
  if (state_.lastBackup.empty()) return;
  state_.face->OpenWithSystem(std::filesystem::path(state_.lastBackup).parent_path());
}

}  // namespace quelt::control
