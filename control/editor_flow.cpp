#include "control/editor_flow.h"

#include <algorithm>

#include "front/tab_order.h"

namespace quelt::control {

const std::vector<FuelField>& EditorFlow::Fields() {
  static const std::vector<FuelField> fields = front::DialogTabOrder();
  return fields;
}

std::size_t EditorFlow::TabIndex(FuelField field) {
  const std::vector<FuelField>& fields = Fields();
  return static_cast<std::size_t>(std::find(fields.begin(), fields.end(), field) - fields.begin());
}

void EditorFlow::ShowRow() {
  for (FuelField field : Fields()) face_.ShowEditorText(field, rows_.Text(field));
}

RowEditor::Stored EditorFlow::Store(FuelField field) {
  RowEditor::Stored stored = rows_.Store(field, face_.EditorText(field));
  // The value the analyser will get instead of a blank.
  if (stored.show) face_.ShowEditorText(field, *stored.show);
  return stored;
}

void EditorFlow::Left(FuelField field, bool toButton) {
  face_.ClearNote();
  if (!toButton && !Store(field).ok) face_.ComplainLater(field);
}

bool EditorFlow::Complain(FuelField field) {
  const RowEditor::Stored stored = Store(field);
  if (stored.ok) return true;
  if (rows_.Answered(field, face_.EditorText(field), stored, face_.Ask(stored.refusal))) {
    return true;
  }
  face_.ReturnTo(field);
  return false;
}

bool EditorFlow::Accept() {
  for (FuelField field : Fields()) {
    if (!Complain(field)) return false;
  }
  return true;
}

bool EditRow(FuelTable& table, bool readOnly, char32_t decimalSeparator,
             const std::function<bool(RowEditor&)>& run) {
  RowEditor rows(table, readOnly, decimalSeparator);
  const bool accepted = run(rows);
  rows.Finish(accepted);
  return accepted;
}

}  // namespace quelt::control
