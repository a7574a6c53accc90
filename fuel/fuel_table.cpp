#include "fuel/fuel_table.h"

#include <algorithm>
#include <limits>

namespace quelt {

namespace {
// A row begun by Insert or Append holds no values until they are set.
FuelRow EmptyRow() {
  FuelRow row;
  row.nullMask = (1u << kFuelFieldCount) - 1;
  return row;
}
}  // namespace

const FuelRow& FuelTable::Current() const {
  static const FuelRow kNone{};
  if (state_ != State::Viewing) return buffer_;
  if (current_ < 0) return kNone;
  return rows_[static_cast<std::size_t>(current_)];
}

void FuelTable::StoreIfEditing() {
  if (state_ != State::Viewing) StoreEdit();
}

void FuelTable::MoveToFirst() {
  StoreIfEditing();
  current_ = rows_.empty() ? -1 : 0;
  bof_ = true;
  eof_ = rows_.empty();
  Notify(Change::Current);
}

void FuelTable::MoveToLast() {
  StoreIfEditing();
  current_ = RowCount() - 1;
  eof_ = true;
  bof_ = rows_.empty();
  Notify(Change::Current);
}

void FuelTable::MoveToNext() {
  StoreIfEditing();
  bof_ = false;
  if (current_ + 1 >= RowCount()) {
    eof_ = true;  // stays on the last row
    return;
  }
  ++current_;
  eof_ = false;
  Notify(Change::Current);
}

void FuelTable::MoveToPrevious() {
  StoreIfEditing();
  eof_ = false;
  if (current_ <= 0) {
    bof_ = true;  // stays on the first row
    return;
  }
  --current_;
  bof_ = false;
  Notify(Change::Current);
}

void FuelTable::MoveTo(int index) {
  if (index < 0 || index >= RowCount()) return;
  StoreIfEditing();
  if (index == current_) return;
  current_ = index;
  eof_ = bof_ = false;
  Notify(Change::Current);
}

void FuelTable::Clear() {
  state_ = State::Viewing;
  rows_.clear();
  current_ = -1;
  eof_ = bof_ = true;
  Notify(Change::Reset);
}

void FuelTable::BeginAppend() {
  StoreIfEditing();
  insertReturn_ = current_;
  current_ = RowCount();
  buffer_ = EmptyRow();
  state_ = State::Inserting;
  eof_ = bof_ = false;
  Notify(Change::Reset);
}

void FuelTable::BeginInsert() {
  StoreIfEditing();
  insertReturn_ = current_;
  if (current_ < 0) current_ = 0;
  buffer_ = EmptyRow();
  state_ = State::Inserting;
  eof_ = bof_ = false;
  Notify(Change::Reset);
}

void FuelTable::BeginEdit() {
  if (state_ != State::Viewing || current_ < 0) return;
  buffer_ = rows_[static_cast<std::size_t>(current_)];
  state_ = State::Editing;
}

FuelRow& FuelTable::Buffer() {
  if (state_ == State::Viewing) {
    if (rows_.empty()) {
      BeginAppend();
    } else {
      BeginEdit();
    }
  }
  return buffer_;
}

bool FuelTable::SetInteger(FuelField field, std::int64_t value) {
  if (!RangeOf(field).Holds(value)) return false;
  FuelRow& row = Buffer();
  switch (field) {
    case FuelField::N:
      row.N = static_cast<std::int16_t>(value);
      break;
    case FuelField::ID:
      row.ID = static_cast<std::int32_t>(value);
      break;
    case FuelField::Soot:
      row.Soot = static_cast<std::int16_t>(value);
      break;
    default:
      return false;
  }
  row.SetNull(field, false);
  Notify(Change::RowValues);
  return true;
}

void FuelTable::SetDecimal(FuelField field, double value) {
  Buffer().SetDecimal(field, value);
  Notify(Change::RowValues);
}

void FuelTable::SetDescription(const std::string& text) {
  FuelRow& row = Buffer();
  row.Description = text.substr(0, kDescriptionMax);
  row.SetNull(FuelField::Description, false);
  Notify(Change::RowValues);
}

void FuelTable::SetNull(FuelField field) {
  FuelRow& row = Buffer();
  switch (field) {
    case FuelField::N:
      row.N = 0;
      break;
    case FuelField::ID:
      row.ID = 0;
      break;
    case FuelField::Soot:
      row.Soot = 0;
      break;
    case FuelField::Description:
      row.Description.clear();
      break;
    default:
      row.SetDecimal(field, 0);
      break;
  }
  row.SetNull(field, true);
  Notify(Change::RowValues);
}

void FuelTable::StoreEdit() {
  if (state_ == State::Inserting) {
    rows_.insert(rows_.begin() + current_, buffer_);
    state_ = State::Viewing;
    Notify(Change::Reset);
  } else if (state_ == State::Editing) {
    rows_[static_cast<std::size_t>(current_)] = buffer_;
    state_ = State::Viewing;
    Notify(Change::RowValues);
  }
}

void FuelTable::CancelEdit() {
  if (state_ == State::Inserting) {
    state_ = State::Viewing;
    // Back to the row that was current before the insert began.
    current_ = rows_.empty() ? -1 : std::min(std::max(insertReturn_, 0), RowCount() - 1);
    eof_ = bof_ = rows_.empty();
    Notify(Change::Reset);
  } else if (state_ == State::Editing) {
    state_ = State::Viewing;
    Notify(Change::RowValues);
  }
}

void FuelTable::DeleteCurrent() {
  if (state_ == State::Inserting) {
    CancelEdit();
    return;
  }
  state_ = State::Viewing;
  if (current_ < 0) return;
  rows_.erase(rows_.begin() + current_);
  if (current_ >= RowCount()) current_ = RowCount() - 1;
  eof_ = bof_ = rows_.empty();
  Notify(Change::Reset);
}

void FuelTable::InsertRow(const FuelRow& row) {
  BeginInsert();
  buffer_ = row;
  StoreEdit();
}

void FuelTable::AppendRow(const FuelRow& row) {
  BeginAppend();
  buffer_ = row;
  StoreEdit();
}

void FuelTable::Renumber() {
  StoreIfEditing();
  const int current = current_;
  for (int i = 0; i < RowCount(); ++i) {
    MoveTo(i);
    SetInteger(FuelField::N, i + 1);
    StoreEdit();
  }
  if (current >= 0) MoveTo(current);
}

void FuelTable::HoldNotifications() { ++suspended_; }

void FuelTable::ReleaseNotifications() {
  if (suspended_ == 0) return;
  if (--suspended_ == 0 && pendingReset_) {
    pendingReset_ = false;
    if (listener_) listener_(Change::Reset);
  }
}

void FuelTable::Notify(Change change) {
  if (suspended_ > 0) {
    pendingReset_ = true;
    return;
  }
  if (listener_) listener_(change);
}

}  // namespace quelt
