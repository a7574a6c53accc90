// The fuel editor dialog's flow around a RowEditor, written once for both
// windows: the row shown when the dialog opens, an editor left for another
// one (its text stored; a text the field cannot hold is complained about
// once the focus has arrived, and the user is brought back to correct it),
// and OK (every editor stored in tab order, each refusal asked about, a new
// row's ID checked even when untouched; the dialog closes only when all are
// stored).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "control/row_editor.h"

namespace quelt::control {

// What the dialog implements for the flow.
class EditorFace {
 public:
  virtual ~EditorFace() = default;
  // The editor's text as the user left it (UTF-8).
  virtual std::string EditorText(FuelField field) = 0;
  // Shows a text the program sets: no change of the user's.
  virtual void ShowEditorText(FuelField field, const std::string& utf8) = 0;
  // Clears the note of a refused character: it belongs to the editor left.
  virtual void ClearNote() = 0;
  virtual Answer Ask(const Message& message) = 0;
  // The focus back to the editor, its text selected to be corrected.
  virtual void ReturnTo(FuelField field) = 0;
  // Calls EditorFlow::Complain(field) once the focus has arrived where the
  // user sent it.
  virtual void ComplainLater(FuelField field) = 0;
};

class EditorFlow {
 public:
  EditorFlow(RowEditor& rows, EditorFace& face) : rows_(rows), face_(face) {}

  // The editors' fields in tab order, and a field's place among them.
  static const std::vector<FuelField>& Fields();
  static std::size_t TabIndex(FuelField field);

  // Every editor shows the row's value.
  void ShowRow();
  // The user left the editor of `field`; `toButton`: for OK or Cancel, which
  // store nothing (OK checks every editor itself, Cancel drops everything).
  void Left(FuelField field, bool toButton);
  // The editor's text stored, or its refusal asked about now; true when it
  // is stored, false when the user is back in the editor.
  bool Complain(FuelField field);
  // OK: true when every editor's text is stored and the dialog may close.
  bool Accept();

 private:
  // `atOk`: RowEditor::Check rather than Store.
  RowEditor::Stored Store(FuelField field, bool atOk);
  bool Settle(FuelField field, bool atOk);

  RowEditor& rows_;
  EditorFace& face_;
};

// The editor dialog on the table's current row: `run` shows it on the
// RowEditor and returns true when the user left it with OK; once it is
// gone, the row is posted (OK after a change) or every pending change
// dropped. True: OK.
bool EditRow(FuelTable& table, bool readOnly, char32_t decimalSeparator,
             const std::function<bool(RowEditor&)>& run);

}  // namespace quelt::control
