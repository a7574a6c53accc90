#include "control/window_display.h"

#include "control/row_menu.h"
#include "front/texts.h"
#include "lang/tr.h"

namespace quelt::control {

void WindowDisplay::TableChanged(FuelTable::Change change) {
  const GridFollower::Step step = state_.grid.Next(change);
  state_.grid.Take(step);
  if (state_.face != nullptr) state_.face->ShowGridStep(step);
  Update();
}

void WindowDisplay::Update() const {
  WindowFace* face = state_.face;
  if (face == nullptr) return;
  for (int c = 0; c < kControlCount; ++c) {
    face->SetEnabled(static_cast<Control>(c), Enabled(static_cast<Control>(c)));
  }
  face->SetCaption(Caption());
  const std::string changes = ChangesText(state_.marks.RowsChanging(state_.table));
  face->SetStatusLine(front::StatusLineOf(StatusText(Status()), changes));
  const std::string& backup = state_.lastBackup;
  face->SetBackupLine(BackupText(backup),
                      backup.empty() ? "" : backup + "\n" + lang::Tr(front::kBackupLineClick));
}

bool WindowDisplay::Enabled(Control control) const {
  const bool idle = !state_.transferActive;
  switch (control) {
    case Control::Refresh:
      return state_.refreshEnabled && idle;
    case Control::Send:
      return state_.sendEnabled && idle;
    case Control::MoveUp:
    case Control::MoveDown:
    case Control::Open:
    case Control::Save:
    case Control::EditMenu:
      return idle;
    case Control::BackupLine:
      return !state_.lastBackup.empty();
    case Control::Port:
      return state_.ports.Choosable() && state_.refreshEnabled && idle;
  }
  return false;
}

std::optional<std::vector<bool>> WindowDisplay::RowMenuNow() const {
  if (state_.transferActive) return std::nullopt;
  std::vector<bool> enabled;
  for (const RowMenuItem& item : RowMenuItems()) enabled.push_back(CanDo(item.command));
  return enabled;
}

bool WindowDisplay::CanDo(Command command) const {
  if (state_.transferActive) return false;
  switch (command) {
    case Command::Duplicate:
    case Command::Delete:
      return !state_.table.IsEmpty();
    case Command::Undo:
      return state_.history.CanUndo();
    case Command::Redo:
      return state_.history.CanRedo();
    default:
      return true;
  }
}

bool WindowDisplay::Unsent() const { return state_.unsent.Pending(state_.table); }

StatusFacts WindowDisplay::Status() const {
  StatusFacts facts;
  facts.port = state_.Port();
  facts.serialNumber = state_.ops.Identity().serialNumber;
  facts.type = state_.ops.Identity().type;
  facts.rows = state_.table.RowCount();
  if (state_.marks.Known()) {
    facts.storedRows = static_cast<int>(state_.marks.Stored().size());
    facts.hRowShown = state_.marks.ShowsAddedHRow(state_.table);
  }
  facts.lastBackup = state_.lastBackup;
  return facts;
}

}  // namespace quelt::control
