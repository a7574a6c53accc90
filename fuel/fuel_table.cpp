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
  if (state_ != State::Browse) return buffer_;
  if (current_ < 0) return kNone;
  return rows_[static_cast<std::size_t>(current_)];
}

void FuelTable::PostIfEditing() {
  if (state_ != State::Browse) Post();
}

void FuelTable::First() {
  PostIfEditing();
  current_ = rows_.empty() ? -1 : 0;
  bof_ = true;
  eof_ = rows_.empty();
  Notify(Change::Current);
}

void FuelTable::Last() {
  PostIfEditing();
  current_ = RecordCount() - 1;
  eof_ = true;
  bof_ = rows_.empty();
  Notify(Change::Current);
}

void FuelTable::Next() {
  PostIfEditing();
  bof_ = false;
  if (current_ + 1 >= RecordCount()) {
    eof_ = true;  // stays on the last row
    return;
  }
  ++current_;
  eof_ = false;
  Notify(Change::Current);
}

void FuelTable::Prior() {
  PostIfEditing();
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
  if (index < 0 || index >= RecordCount()) return;
  PostIfEditing();
  if (index == current_) return;
  current_ = index;
  eof_ = bof_ = false;
  Notify(Change::Current);
}

void FuelTable::EmptyTable() {
  state_ = State::Browse;
  rows_.clear();
  current_ = -1;
  eof_ = bof_ = true;
  Notify(Change::Reset);
}

void FuelTable::Append() {
  PostIfEditing();
  insertReturn_ = current_;
  current_ = RecordCount();
  buffer_ = EmptyRow();
  state_ = State::Insert;
  eof_ = bof_ = false;
  Notify(Change::Reset);
}

void FuelTable::Insert() {
  PostIfEditing();
  insertReturn_ = current_;
  if (current_ < 0) current_ = 0;
  buffer_ = EmptyRow();
  state_ = State::Insert;
  eof_ = bof_ = false;
  Notify(Change::Reset);
}

void FuelTable::Edit() {
  if (state_ != State::Browse || current_ < 0) return;
  buffer_ = rows_[static_cast<std::size_t>(current_)];
  state_ = State::Edit;
}

FuelRow& FuelTable::Buffer() {
  if (state_ == State::Browse) {
    if (rows_.empty()) {
      Append();
    } else {
      Edit();
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
    case FuelField::Special:
      row.Special = static_cast<std::int16_t>(value);
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
    case FuelField::Special:
      row.Special = 0;
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

void FuelTable::Post() {
  if (state_ == State::Insert) {
    rows_.insert(rows_.begin() + current_, buffer_);
    state_ = State::Browse;
    Notify(Change::Reset);
  } else if (state_ == State::Edit) {
    rows_[static_cast<std::size_t>(current_)] = buffer_;
    state_ = State::Browse;
    Notify(Change::RowValues);
  }
}

void FuelTable::Cancel() {
  if (state_ == State::Insert) {
    state_ = State::Browse;
    // Back to the row that was current before the insert began.
    current_ = rows_.empty() ? -1 : std::min(std::max(insertReturn_, 0), RecordCount() - 1);
    eof_ = bof_ = rows_.empty();
    Notify(Change::Reset);
  } else if (state_ == State::Edit) {
    state_ = State::Browse;
    Notify(Change::RowValues);
  }
}

void FuelTable::Delete() {
  if (state_ == State::Insert) {
    Cancel();
    return;
  }
  state_ = State::Browse;
  if (current_ < 0) return;
  rows_.erase(rows_.begin() + current_);
  if (current_ >= RecordCount()) current_ = RecordCount() - 1;
  eof_ = bof_ = rows_.empty();
  Notify(Change::Reset);
}

void FuelTable::InsertRow(const FuelRow& row) {
  Insert();
  buffer_ = row;
  Post();
}

void FuelTable::AppendRow(const FuelRow& row) {
  Append();
  buffer_ = row;
  Post();
}

void FuelTable::Renumber() {
  PostIfEditing();
  const int current = current_;
  for (int i = 0; i < RecordCount(); ++i) {
    MoveTo(i);
    SetInteger(FuelField::N, i + 1);
    Post();
  }
  if (current >= 0) MoveTo(current);
}

void FuelTable::DisableControls() { ++suspended_; }

void FuelTable::EnableControls() {
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
