#include "control/window_state.h"

#include <algorithm>

#include "fuel/status_text.h"

namespace quelt::control {

WindowState::WindowState(AnalyserLink& analyserLink, FuelView& view)
    : link(analyserLink), ops(analyserLink, table, view) {}

Answer WindowState::Ask(const Message& message) const {
  if (terminating || face == nullptr) return message.escapeAnswer;
  return face->Ask(message);
}

Answer WindowState::AskOfferingTrace(const Message& message) {
  const Answer answer = Ask(OfferingTrace(message));
  if (answer == Answer::SaveTrace) traceWanted = true;
  return answer;
}

void WindowState::ShowFailures(const std::vector<std::string>& messages) {
  for (const std::string& m : messages) AskOfferingTrace(ErrorMessage(m));
}

void WindowState::SetProgress(int value) const {
  if (face != nullptr) face->SetProgress(std::clamp(value, 0, kProgressFullScale));
}

void WindowState::RedrawGrid() const {
  if (face != nullptr) face->RedrawGrid();
}

std::string WindowState::Port() const { return PortText(link, demo); }

void WindowState::NoteStoredRows() {
  if (const StoredTable* stored = ops.KnownStoredTable()) {
    marks.SetStored(StoredRows(stored->rows), ops.Naming());
  }
}

}  // namespace quelt::control
