// FuelTable: the in-memory fuel table with a current row, and an edit
// buffer for the row being edited or inserted. The grid, the editor and the
// fuel-list operations all act on the current row; whoever shows the table
// learns of changes through one listener.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

class FuelTable {
 public:
  enum class State { Viewing, Editing, Inserting };

  // What changed, so that a view can redraw as little as it needs.
  enum class Change {
    Reset,      // rows added, removed or reordered: redraw everything
    RowValues,  // values of the current row changed
    Current,    // another row became current
  };
  using Listener = std::function<void(Change)>;

  // --- reading -----------------------------------------------------------
  int RowCount() const { return static_cast<int>(rows_.size()); }
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
  bool AtEnd() const { return eof_; }
  bool AtStart() const { return bof_; }

  // --- moving (a pending edit is stored first) ----------------------------
  void MoveToFirst();
  void MoveToLast();
  void MoveToNext();      // past the last row: stays on it and sets AtEnd
  void MoveToPrevious();  // before the first row: stays on it and sets AtStart
  void MoveTo(int index);

  // --- changing -----------------------------------------------------------
  void Clear();
  void BeginAppend();  // a new empty row at the end, in the edit buffer
  void BeginInsert();  // a new empty row before the current one
  void BeginEdit();    // edits the current row (nothing when empty)
  // The edit buffer; valid in edit or insert state.
  FuelRow& Buffer();
  // Integer fields refuse values beyond their width (N and Soot: 16 bits)
  // and leave the buffer unchanged. Returns false then.
  bool SetInteger(FuelField field, std::int64_t value);
  void SetDecimal(FuelField field, double value);
  // Cuts to 30 characters.
  void SetDescription(const std::string& text);
  void SetNull(FuelField field);
  void StoreEdit();      // stores the edit buffer
  void CancelEdit();     // drops it; a row begun by BeginInsert/Append disappears
  void DeleteCurrent();  // removes the current row; the next (or last) becomes current

  // Stores `row` as a new row before the current one, or at the end; the new
  // row becomes current. Shortcut for BeginInsert/BeginAppend + set fields + StoreEdit.
  void InsertRow(const FuelRow& row);
  void AppendRow(const FuelRow& row);

  // --- notifications -----------------------------------------------------
  void SetListener(Listener listener) { listener_ = std::move(listener); }
  // N := position (1-based) for every row, each change stored as an edit.
  // The current row stays current.
  void Renumber();

  // While held (nestable) no notification goes out; ReleaseNotifications
  // sends one Reset if anything changed meanwhile.
  void HoldNotifications();
  void ReleaseNotifications();
  bool NotificationsHeld() const { return suspended_ > 0; }

 private:
  void Notify(Change change);
  void StoreIfEditing();

  std::vector<FuelRow> rows_;
  int current_ = -1;
  int insertReturn_ = -1;  // current row before an Insert/Append began
  State state_ = State::Viewing;
  FuelRow buffer_;
  bool eof_ = true;
  bool bof_ = true;
  int suspended_ = 0;
  bool pendingReset_ = false;
  Listener listener_;
};

}  // namespace quelt
