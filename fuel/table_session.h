// The half of a window that needs no toolkit: it runs the operations for the
// window's buttons and keys and keeps what the window shows besides them -
// whether the grid holds unsent changes, the facts of the status line, the
// last line of each operation, the table files. A window wires its widgets
// to it and implements FuelView; the session sits between that view and the
// operations and forwards everything.
#pragma once

#include <filesystem>
#include <string>

#include "fuel/fuel_ops.h"
#include "fuel/status_text.h"
#include "fuel/table_state.h"

namespace quelt {

class TableSession : private FuelView {
 public:
  TableSession(TGlb& glb, FuelTable& table, FuelView& window);
  TableSession(const TableSession&) = delete;
  TableSession& operator=(const TableSession&) = delete;

  FuelListOps& Ops() { return ops_; }
  // The simulated analyser is attached (--demo).
  bool Demo = false;
  // The demo mode: the link talks to the simulated analyser on `line`,
  // named `device`, and the log's title line and the status line say so.
  void AttachSimulated(Line& line, const std::string& device);

  // Each operation starts with the progress bar at 0 and ends with one log
  // line that says what happened.
  bool Refresh();
  SendOutcome Send();
  // `path` may be any file; errors name it and, for a load, its line.
  bool SaveFile(const std::filesystem::path& path);
  bool LoadFile(const std::filesystem::path& path);

  // The grid differs from what the analyser holds.
  bool Unsent() const { return unsent_.Pending(table_); }
  // Exit, closing, Refresh and a load must ask first.
  bool MustAskBeforeDropping() const { return unsent_.MustAskBeforeDropping(table_); }
  std::string Caption() const { return WindowCaption(Unsent()); }
  StatusFacts Status() const;
  const std::string& LastBackup() const { return lastBackup_; }
  std::string Port() const { return PortText(glb_, Demo); }

 private:
  // FuelView: forwarded to the window.
  void ClearLog() override;
  void AddLogLine(const std::string& line) override;
  void SetProgress(int value) override { window_.SetProgress(value); }
  void SetBusyCursor(bool busy) override { window_.SetBusyCursor(busy); }
  void ShowMessage(const std::string& text) override { window_.ShowMessage(text); }
  bool Confirm(const std::string& question) override { return window_.Confirm(question); }
  void EnableRefresh(bool enabled) override { window_.EnableRefresh(enabled); }
  void EnableSend(bool enabled) override { window_.EnableSend(enabled); }
  void SetTransferActive(bool active) override { window_.SetTransferActive(active); }

  // Logs `line` unless the operations just logged it themselves.
  void AddFinalLine(const std::string& line);

  TGlb& glb_;
  FuelTable& table_;
  FuelView& window_;
  FuelListOps ops_;
  UnsentChanges unsent_;
  std::string lastBackup_;
  std::string lastLine_;
};

}  // namespace quelt
