#include "fuel/table_state.h"

namespace quelt {

std::vector<std::string> WireTexts(const FuelTable& table) {
  std::vector<std::string> texts;
  texts.reserve(table.Rows().size());
  int position = 0;
  for (const FuelRow& row : table.Rows()) texts.push_back(WriteFuelRowText(row, ++position));
  // A row open in the editor is part of the grid too.
  if (table.GetState() == FuelTable::State::Editing && table.CurrentIndex() >= 0) {
    texts[static_cast<std::size_t>(table.CurrentIndex())] =
        WriteFuelRowText(table.Current(), table.CurrentIndex() + 1);
  }
  return texts;
}

void UnsentChanges::MarkInSync(const FuelTable& table) { MarkSent(WireTexts(table)); }

void UnsentChanges::MarkSent(const std::vector<std::string>& wireTextsSent) {
  inSync_ = wireTextsSent;
  loaded_ = false;
  savedKnown_ = false;
}

void UnsentChanges::MarkLoaded(const FuelTable& table) {
  loaded_ = true;
  MarkSaved(table);
}

void UnsentChanges::MarkSaved(const FuelTable& table) {
  saved_ = WireTexts(table);
  savedKnown_ = true;
}

bool UnsentChanges::Pending(const FuelTable& table) const {
  return loaded_ || WireTexts(table) != inSync_;
}

bool UnsentChanges::MustAskBeforeDropping(const FuelTable& table) const {
  if (!Pending(table)) return false;
  return !savedKnown_ || WireTexts(table) != saved_;
}

}  // namespace quelt
