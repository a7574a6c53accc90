#include "fuel/fuel_row.h"

#include <limits>

#include "text/text_helpers.h"

namespace quelt {
namespace {

constexpr std::array<FuelFieldInfo, kFuelFieldCount> kFields = {{
    {FuelField::N, "N", "N", "N", 33, -1, -1},
    {FuelField::ID, "ID", "ID", "ID", 31, -1, -1},
    {FuelField::Description, "Description", "Bezeichnung", "Description", 115, -1, -1},
    {FuelField::Co2Max, "Co2Max", "Co2Max", "Co2Max", 54, 1, 1},
    {FuelField::A2, "A2", "A2", "A2", 46, 2, 2},
    {FuelField::B, "B", "B", "B", 38, 3, 3},
    {FuelField::RefO2, "RefO2", "O2-Bezug", "Ref.O2", 44, 1, 1},
    {FuelField::Vatr, "Vatr", "Vatr", "Vatr", 40, 2, 2},
    {FuelField::Vaf, "Vaf", "Vaf", "Vaf", 37, 2, 2},
    {FuelField::HU, "HU", "HU", "HU", 36, 2, 2},
    {FuelField::Soot, "Soot", "Spezial", "Soot", 48, -1, -1},
}};

std::uint16_t Bit(FuelField f) { return static_cast<std::uint16_t>(1u << static_cast<int>(f)); }

template <typename Row>
auto DecimalSlot(Row& row, FuelField f) -> decltype(&row.Co2Max) {
  switch (f) {
    case FuelField::Co2Max:
      return &row.Co2Max;
    case FuelField::A2:
      return &row.A2;
    case FuelField::B:
      return &row.B;
    case FuelField::RefO2:
      return &row.RefO2;
    case FuelField::Vatr:
      return &row.Vatr;
    case FuelField::Vaf:
      return &row.Vaf;
    case FuelField::HU:
      return &row.HU;
    default:
      return nullptr;
  }
}

}  // namespace

const std::array<FuelFieldInfo, kFuelFieldCount>& FuelFields() { return kFields; }

const FuelFieldInfo& InfoOf(FuelField field) { return kFields[static_cast<std::size_t>(field)]; }

bool IsDecimalField(FuelField field) { return InfoOf(field).wireDecimals >= 0; }

void FuelRow::SetNull(FuelField f, bool isNull) {
  if (!isNull) {
    nullMask = static_cast<std::uint16_t>(nullMask & ~Bit(f));
    return;
  }
  nullMask = static_cast<std::uint16_t>(nullMask | Bit(f));
  // Clear the value too, so that a null field reads as 0 also through the members.
  switch (f) {
    case FuelField::N:
      N = 0;
      break;
    case FuelField::ID:
      ID = 0;
      break;
    case FuelField::Description:
      Description.clear();
      break;
    case FuelField::Soot:
      Soot = 0;
      break;
    default:
      if (double* slot = DecimalSlot(*this, f)) *slot = 0.0;
      break;
  }
}

double FuelRow::Decimal(FuelField f) const {
  const double* slot = DecimalSlot(*this, f);
  return slot == nullptr || IsNull(f) ? 0.0 : *slot;
}

void FuelRow::SetDecimal(FuelField f, double v) {
  if (double* slot = DecimalSlot(*this, f)) {
    *slot = v;
    SetNull(f, false);
  }
}

std::int32_t FuelRow::Integer(FuelField f) const {
  if (IsNull(f)) return 0;
  switch (f) {
    case FuelField::N:
      return N;
    case FuelField::ID:
      return ID;
    case FuelField::Soot:
      return Soot;
    default:
      return 0;
  }
}

IntegerRange RangeOf(FuelField field) {
  if (field == FuelField::ID) {
    return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
  }
  return {std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()};
}

bool ParsedFuelRow::FitsRow() const {
  return RangeOf(FuelField::N).Holds(N) && RangeOf(FuelField::Soot).Holds(Soot);
}

FuelRow ParsedFuelRow::ToRow() const {
  FuelRow row;
  row.N = static_cast<std::int16_t>(N);
  row.ID = ID;
  row.Description = Description.substr(0, kDescriptionMax);
  row.Co2Max = Co2Max;
  row.A2 = A2;
  row.B = B;
  row.RefO2 = RefO2;
  row.Vatr = Vatr;
  row.Vaf = Vaf;
  row.HU = HU;
  row.Soot = static_cast<std::int16_t>(Soot);
  return row;
}

ParsedFuelRow ReadFuelRowText(std::string_view text) {
  std::int32_t pos = 1;
  auto next = [&] { return NextField(text, pos); };
  ParsedFuelRow r;
  r.N = ParseIntLenient(next());
  r.ID = ParseIntLenient(next());
  r.Description = next();
  r.Co2Max = ParseFloatLenient(next());
  r.A2 = ParseFloatLenient(next());
  r.B = ParseFloatLenient(next());
  r.RefO2 = ParseFloatLenient(next());
  r.Vatr = ParseFloatLenient(next());
  r.Vaf = ParseFloatLenient(next());
  r.HU = ParseFloatLenient(next());
  r.Soot = ParseIntLenient(next());
  return r;
}

std::string WriteFuelRowText(const FuelRow& row, std::int32_t position) {
  std::string text = IntToStrWidth(position, 0);
  text += ';';
  text += IntToStrWidth(row.Integer(FuelField::ID), 0);
  text += ';';
  if (!row.IsNull(FuelField::Description)) {
    text += std::string_view(row.Description).substr(0, kDescriptionMax);
  }
  text += ';';
  for (const FuelFieldInfo& info : kFields) {
    if (info.wireDecimals < 0) continue;
    text += FormatFixed(row.Decimal(info.field), info.wireDecimals);
    text += ';';
  }
  text += IntToStrWidth(row.Integer(FuelField::Soot), 0);
  text += ';';
  return text;
}

}  // namespace quelt
