// FuelTable: the in-memory fuel table with a current row and the browse /
// edit / insert states of a data-aware table. The grid, the editor and the
// fuel-list operations all work through the current row, as the analyser's
// tool always has; views learn of changes through one listener.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

class FuelTable {
 public:
  enum class State { Browse, Edit, Insert };

  // What changed, so that a view can redraw as little as it needs.
  enum class Change {
    Reset,      // rows added, removed or reordered: redraw everything
    RowValues,  // values of the current row changed
    Current,    // another row became current
  };
  using Listener = std::function<void(Change)>;

  // --- reading -----------------------------------------------------------
  int RecordCount() const { return static_cast<int>(rows_.size()); }
  bool IsEmpty() const { return rows_.empty(); }
  // 0-based index of the current row; -1 when the table is empty. While a
  // new row is being inserted it is the index the row will take.
  int CurrentIndex() const { return current_; }
  State GetState() const { return state_; }
  // The current row as the user sees it (the edit buffer while editing).
  // Empty table in browse state: a default row.
  const FuelRow& Current() const;
  const FuelRow& Row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
  const std::vector<FuelRow>& Rows() const { return rows_; }
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }

  // --- moving (post a pending edit first, like a data-aware table) -------
  void First();
  void Last();
  void Next();   // past the last row: stays on it and sets Eof
  void Prior();  // before the first row: stays on it and sets Bof
  void MoveTo(int index);

  // --- changing -----------------------------------------------------------
  void EmptyTable();
  void Append();  // insert state with a new empty row at the end
  void Insert();  // insert state with a new empty row before the current one
  void Edit();    // edit state on the current row (no-op when empty)
  // The edit buffer; valid in edit or insert state.
  FuelRow& Buffer();
  // Integer fields refuse values beyond their width (N and Special: 16 bits)
  // and leave the buffer unchanged. Returns false then.
  bool SetInteger(FuelField field, std::int64_t value);
  void SetDecimal(FuelField field, double value);
  // Cuts to 30 characters.
  void SetDescription(const std::string& text);
  void SetNull(FuelField field);
  void Post();    // stores the edit buffer
  void Cancel();  // drops it; a row begun by Insert/Append disappears
  void Delete();  // removes the current row; the next (or last) becomes current

  // Stores `row` as a new row before the current one, or at the end; the new
  // row becomes current. Shortcut for Insert/Append + set fields + Post.
  void InsertRow(const FuelRow& row);
  void AppendRow(const FuelRow& row);

  // --- notifications -----------------------------------------------------
  void SetListener(Listener listener) { listener_ = std::move(listener); }
  // N := position (1-based) for every row, each change posted as an edit.
  // The current row stays current.
  void Renumber();

  // While disabled (nestable) no notification goes out; EnableControls
  // sends one Reset if anything changed meanwhile.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return suspended_ > 0; }

 private:
  void Notify(Change change);
  void PostIfEditing();

  std::vector<FuelRow> rows_;
  int current_ = -1;
  int insertReturn_ = -1;  // current row before an Insert/Append began
  State state_ = State::Browse;
  FuelRow buffer_;
  bool eof_ = true;
  bool bof_ = true;
  int suspended_ = 0;
  bool pendingReset_ = false;
  Listener listener_;
};

}  // namespace quelt
