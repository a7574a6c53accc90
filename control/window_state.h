// What the controller's parts share: the link and the operations on it, the
// table and what is known of it (unsent changes, undo steps, the analyser's
// stored rows), the window's face, and the flags the operations set. Each
// part of the controller gets a reference to it; none owns it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control/change_marks.h"
#include "control/face.h"
#include "control/grid_follower.h"
#include "control/messages.h"
#include "control/port_chooser.h"
#include "control/session_trace.h"
#include "control/undo_history.h"
#include "fuel/fuel_ops.h"
#include "fuel/fuel_table.h"
#include "fuel/table_state.h"

namespace quelt::control {

struct WindowState {
  // The operations report to `view`, which may be made after this state.
  WindowState(AnalyserLink& link, FuelView& view);
  WindowState(const WindowState&) = delete;
  WindowState& operator=(const WindowState&) = delete;

  // A box on the face; its escape answer without a face, and once the
  // system ends the program (nobody is left to answer).
  Answer Ask(const Message& message) const;
  // A failure on the line, or About: the box also offers to save the
  // session's trace, which is saved when the command has ended.
  Answer AskOfferingTrace(const Message& message);
  // The operations' failure messages of a write, one box each.
  void ShowFailures(const std::vector<std::string>& messages);
  // The progress bar; a send of more than 15 rows counts on past the full scale.
  void SetProgress(int value) const;
  void RedrawGrid() const;
  // The port in use, as the status line names it.
  std::string Port() const;
  // The analyser's stored rows as the operations last read or checked them.
  void NoteStoredRows();

  AnalyserLink& link;
  SessionTrace sessionTrace{link};
  FuelTable table;
  GridFollower grid{table};
  FuelOperations ops;
  PortChooser ports{link};
  WindowFace* face = nullptr;
  UnsentChanges unsent;
  UndoHistory history;
  // The rows the analyser stores, once a Refresh read them or a Send wrote
  // them, and the grid's change marks against them.
  ChangeMarks marks;
  // The table before the last Send (its backup's rows), for the report;
  // empty while the stored rows came from a read.
  std::optional<std::vector<FuelRow>> beforeSend;
  std::string lastBackup;
  // What the last send or restore's check found, for the report.
  std::string lastCheck;
  bool demo = false;
  bool refreshEnabled = true;
  // Send only once a table is there to send: after a Refresh that read the
  // list, or a load.
  bool sendEnabled = false;
  bool transferActive = false;
  bool busyCursor = false;
  bool closePending = false;
  bool terminating = false;
  // "Save trace..." was chosen in a box: saved once the command has ended.
  bool traceWanted = false;
};

}  // namespace quelt::control
