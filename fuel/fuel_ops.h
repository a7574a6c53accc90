// The fuel-list operations: Refresh (identity, gas-name language, read), the
// list read and write, and the row moves. They run the same bytes over the
// wire whatever the front end; the front end only forwards its clicks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fuel/fuel_row.h"
#include "fuel/fuel_table.h"
#include "fuel/fuel_view.h"
#include "link/glb.h"

namespace quelt {

inline constexpr const char* kProgramVersion = "1.0,001";
inline constexpr const char* kTitleLine = "QUELT fuel list update";

// Texts the user sees (Windows-1252).
inline constexpr const char* kCommunicationError = "Communication error !";
inline constexpr const char* kTransferError = "Transfer error";
inline constexpr const char* kTimeout = "Timeout";

// Limits of a send, in rows.
inline constexpr int kMaxRowsSent = 30;
inline constexpr int kMaxRowsUsed = 15;

class FuelListOps {
 public:
  FuelListOps(TGlb& glb, FuelTable& table, FuelView& view);

  // Language of the gas names (1..9, 0 before any type code was recognised)
  // and the fuel ID of the row that gets the natural gas L name (-1: none).
  std::int32_t LanguageIndex = 0;
  std::int32_t LGasFuelId = 0;

  // First line of the intro; the demo mode says there that a simulated
  // analyser is attached.
  std::string TitleLine = kTitleLine;

  void ShowIntro();
  // The Refresh button: identity, language, list read, port closed.
  // True when the list was read.
  bool Refresh();
  // Wake-ups and the four identity lines; false when the analyser did not
  // answer (the link is then failed). Leaves the port open.
  bool QueryIdentity(std::string* typeText = nullptr);
  // Sets LanguageIndex and LGasFuelId from the analyser's type reply.
  void ApplyTypeCode(const std::string& typeText);
  bool ReadFuelList();
  // Writes the table: W401 per row (positions 1.., at most 30), then W402.
  // True when every reply arrived.
  bool SendFuelList();
  // Reads the rows as the analyser holds them, with no renaming and no
  // inserted row (for a read-back after a write). False on a missing reply.
  bool ReadRawRows(std::vector<ParsedFuelRow>& rows);

  // The move buttons. Refused (no-op) while a transfer runs.
  void MoveDown();
  void MoveUp();

  // A transfer (refresh or send) is running: the table must not change.
  bool Busy() const { return busy_; }
  // The user closes the window: end the transfer in progress at once. Its
  // closing steps still run; no message box is shown any more.
  void AbortTransfer();
  bool Aborting() const { return aborting_; }

 private:
  class TransferScope;
  void Move(int step);
  // The wake-up, Drain and R402 that start every list read; false when a
  // reply is missing (TicksLeft 0).
  bool RequestRowCount(std::int32_t& count);
  // R401 with the row's index; the row text is then in the link's Reply.
  bool RequestRow(std::int32_t k);
  void ShowMessage(const std::string& text);

  TGlb& glb_;
  FuelTable& table_;
  FuelView& view_;
  bool busy_ = false;
  bool aborting_ = false;
};

}  // namespace quelt
