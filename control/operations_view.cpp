#include "control/operations_view.h"

namespace quelt::control {

void OperationsView::ClearLog() { record_.StartAfresh(); }

void OperationsView::AddLogLine(const std::string& line) { record_.Log(line); }

void OperationsView::SetProgress(int value) { state_.SetProgress(value); }

void OperationsView::SetBusyCursor(bool busy) {
  if (busy == state_.busyCursor) return;
  state_.busyCursor = busy;
  if (state_.face != nullptr) state_.face->SetBusyCursor(busy);
}

void OperationsView::ShowMessage(const std::string& text) {
  state_.AskOfferingTrace(ErrorMessage(text));
}

bool OperationsView::Confirm(const std::string& question) {
  return state_.Ask(YesNoQuestion(question)) == Answer::Yes;
}

void OperationsView::EnableRefresh(bool enabled) {
  state_.refreshEnabled = enabled;
  display_.Update();
}

void OperationsView::EnableSend(bool enabled) {
  state_.sendEnabled = enabled;
  display_.Update();
}

void OperationsView::SetTransferActive(bool active) {
  state_.transferActive = active;
  display_.Update();
  WindowFace* face = state_.face;
  if (face == nullptr) return;
  face->SetTransferLock(active);
  if (!active && state_.closePending) face->RequestCloseLater();
}

}  // namespace quelt::control
