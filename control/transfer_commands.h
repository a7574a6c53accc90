// The commands that talk to the analyser: Refresh, Send, and a backup
// written back (Restore), each ending with one log line that says what
// happened, and what is known of the analyser's table after it. A write that
// stopped part-way, with a backup made before it, offers to restore it.
#pragma once

#include <filesystem>
#include <string>

#include "control/exports.h"
#include "control/file_commands.h"
#include "control/port_commands.h"
#include "control/window_part.h"

namespace quelt::control {

class TransferCommands : public WindowPart {
 public:
  TransferCommands(const WindowPart& part, FileCommands& files, PortCommands& ports,
                   Exports& exports)
      : WindowPart(part), files_(files), ports_(ports), exports_(exports) {}

  void Refresh();
  // The operations' messages are shown once the send has returned, in the
  // order they arose; the log has their lines as the operations wrote them.
  void Send();
  // Writes the backup at `path` back exactly and checks it; the grid then
  // shows the analyser's table. `tableBefore`: what a stopped send left on
  // the analyser (StoppedWriteLeft). True when the analyser took it.
  bool Restore(const std::filesystem::path& path, const std::string& tableBefore = {});

 private:
  // The messages of a Send; after a write that stopped with a backup made,
  // the last one becomes the question whether to restore it.
  void ShowSendMessages(const SendOutcome& outcome);
  // After a restore: the analyser's table read into the grid, as a Refresh
  // reads it, so that the grid and the status line show what it holds.
  void ShowAnalysersTable();
  // After a read of the analyser's table (`read`: it arrived): what it holds
  // is the new starting point, without undo steps, the marks against it.
  void StartFromRead(bool read);
  // What the last send or restore's check found, for the report.
  void NoteCheck(const SendOutcome& outcome);
  // Why the port could not be used, as the command line says it.
  void LogLinkProblem();

  FileCommands& files_;
  PortCommands& ports_;
  Exports& exports_;
};

}  // namespace quelt::control
