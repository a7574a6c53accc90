// Whether the grid holds changes that the analyser has not got. The grid is
// compared with the table the analyser last reported or was last sent, as it
// travels on the wire: a change that would not alter a single byte sent
// (an edit back to the old value, N renumbered) is no change.
#pragma once

#include <string>
#include <vector>

#include "fuel/fuel_table.h"

namespace quelt {

// The rows' wire texts, positions 1.. as a send numbers them.
std::vector<std::string> WireTexts(const FuelTable& table);

class UnsentChanges {
 public:
  // The analyser holds what the table holds: after a read, or after a send
  // whose check read the rows back. A table of more than 30 rows keeps the
  // rows beyond them unsent: they never travel.
  void MarkInSync(const FuelTable& table);
  void MarkSent(const std::vector<std::string>& wireTextsSent);
  // A table from a file counts as unsent, even where it equals the analyser's;
  // dropping it loses nothing while it is as the file has it.
  void MarkLoaded(const FuelTable& table);
  // The table is in a file now: dropping it loses nothing.
  void MarkSaved(const FuelTable& table);

  // The grid differs from what the analyser holds.
  bool Pending(const FuelTable& table) const;
  // Closing, a Refresh or a load would lose work that is neither sent nor saved.
  bool MustAskBeforeDropping(const FuelTable& table) const;

  // The wire texts the analyser holds, as last read or sent.
  const std::vector<std::string>& InSync() const { return inSync_; }
  // The table came from a file and was not sent since (undo sets it back).
  bool FromFile() const { return loaded_; }
  void SetFromFile(bool fromFile) { loaded_ = fromFile; }

 private:
  std::vector<std::string> inSync_;
  std::vector<std::string> saved_;
  bool savedKnown_ = false;
  bool loaded_ = false;
};

}  // namespace quelt
