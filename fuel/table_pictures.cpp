#include "fuel/table_pictures.h"

#include <algorithm>

#include "fuel/gas_names.h"
#include "fuel/row_compare.h"
#include "lang/format.h"
#include "lang/tr.h"

namespace quelt {
namespace {

bool IsHName(const std::string& name) {
  if (name == ReadFuelRowText(kDefaultHGasRow).Description) return true;
  for (std::int32_t language = 1; language <= 9; ++language) {
    if (name == NaturalGasHName(language)) return true;
  }
  return false;
}

// The built-in H row under any of its names, compared as the wire carries it.
bool IsBuiltInHRow(const FuelRow& row) {
  if (row.ID != kNaturalGasHId || !IsHName(row.Description)) return false;
  FuelRow builtIn = BuiltInHRow(0);
  builtIn.Description = row.Description;
  return WriteFuelRowText(row, 0) == WriteFuelRowText(builtIn, 0);
}

}  // namespace

std::vector<FuelRow> StoredRows(const std::vector<std::string>& rowReplies) {
  std::vector<FuelRow> rows;
  rows.reserve(rowReplies.size());
  for (const std::string& reply : rowReplies) {
    FuelRow row = ReadFuelRowText(reply).ToRow();
    row.N = static_cast<std::int16_t>(rows.size() + 1);
    rows.push_back(std::move(row));
  }
  return rows;
}

FuelRow ShownRow(FuelRow stored, const ReadNaming& naming) {
  if (stored.ID == naming.lGasFuelId) {
    if (const char* name = NaturalGasLName(naming.languageIndex)) stored.Description = name;
  }
  return stored;
}

FuelRow BuiltInHRow(std::int32_t languageIndex) {
  FuelRow row = ReadFuelRowText(kDefaultHGasRow).ToRow();
  // Before any type code was recognised the built-in name stays.
  if (const char* name = NaturalGasHName(languageIndex)) row.Description = name;
  return row;
}

int BuiltInHRowPlace(int storedRows) {
  // Before the fourth row; the moves that find it stop on the last row.
  return storedRows == 0 ? 0 : std::min(3, storedRows - 1);
}

bool HoldsHRow(const std::vector<FuelRow>& rows) {
  return std::any_of(rows.begin(), rows.end(),
                     [](const FuelRow& r) { return r.ID == kNaturalGasHId; });
}

std::vector<FuelRow> ShownTable(const std::vector<FuelRow>& stored, const ReadNaming& naming) {
  std::vector<FuelRow> shown;
  shown.reserve(stored.size() + 1);
  for (const FuelRow& row : stored) shown.push_back(ShownRow(row, naming));
  if (!HoldsHRow(stored)) {
    const int at = BuiltInHRowPlace(static_cast<int>(stored.size()));
    shown.insert(shown.begin() + at, BuiltInHRow(naming.languageIndex));
  }
  for (std::size_t i = 0; i < shown.size(); ++i) shown[i].N = static_cast<std::int16_t>(i + 1);
  return shown;
}

AgainstStored SetAsideReadAdditions(const std::vector<FuelRow>& table,
                                    const std::vector<FuelRow>& stored, const ReadNaming& naming) {
  AgainstStored out;
  const bool storesH = HoldsHRow(stored);
  const char* lName = NaturalGasLName(naming.languageIndex);
  for (std::size_t i = 0; i < table.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    if (!storesH && out.addedHRow < 0 && IsBuiltInHRow(table[i])) {
      out.addedHRow = static_cast<int>(i);
      out.notes.push_back(lang::Format(
          lang::Tr("Row {1} ({2}) is the natural gas H row the tool shows; the analyser "
                   "stores none"),
          row, DeviceText(table[i].Description)));
      continue;
    }
    FuelRow kept = table[i];
    if (lName != nullptr && kept.ID == naming.lGasFuelId && kept.Description == lName) {
      // Its counterpart: the stored row at the same place, or the first of its ID.
      const std::size_t at = out.rows.size();
      auto counterpart = stored.end();
      if (at < stored.size() && stored[at].ID == kept.ID) {
        counterpart = stored.begin() + static_cast<std::ptrdiff_t>(at);
      } else {
        counterpart = std::find_if(stored.begin(), stored.end(),
                                   [&](const FuelRow& r) { return r.ID == kept.ID; });
      }
      if (counterpart != stored.end() && counterpart->Description != kept.Description) {
        out.notes.push_back(
            lang::Format(lang::Tr("Row {1} shows the name \"{2}\"; the analyser stores \"{3}\""),
                         row, DeviceText(kept.Description), DeviceText(counterpart->Description)));
        kept.Description = counterpart->Description;
      }
    }
    out.rows.push_back(std::move(kept));
    out.tableRow.push_back(static_cast<int>(i));
  }
  return out;
}

}  // namespace quelt
