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

RowEditor::Stored EditorFlow::Store(FuelField field, bool atOk) {
  const std::string text = face_.EditorText(field);
  RowEditor::Stored stored = atOk ? rows_.Check(field, text) : rows_.Store(field, text);
  // The value the analyser will get instead of a blank.
  if (stored.show) face_.ShowEditorText(field, *stored.show);
  return stored;
}

void EditorFlow::Left(FuelField field, bool toButton) {
  face_.ClearNote();
  if (!toButton && !Store(field, false).ok) face_.ComplainLater(field);
}

bool EditorFlow::Complain(FuelField field) { return Settle(field, false); }

bool EditorFlow::Settle(FuelField field, bool atOk) {
  const RowEditor::Stored stored = Store(field, atOk);
  if (stored.ok) return true;
  if (rows_.Answered(field, face_.EditorText(field), stored, face_.Ask(stored.refusal))) {
    return true;
  }
  face_.ReturnTo(field);
  return false;
}

bool EditorFlow::Accept() {
  for (FuelField field : Fields()) {
    if (!Settle(field, true)) return false;
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
