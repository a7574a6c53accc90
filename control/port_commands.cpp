#include "control/port_commands.h"

#include "lang/tr.h"

namespace quelt::control {

void PortCommands::Start() {
  if (state_.face == nullptr) return;
  const std::string gone = state_.ports.Start(state_.face->LoadSetting(kPortSettingKey));
  if (!gone.empty()) record_.Log(gone);
  Show();
}

void PortCommands::ListOpened() {
  if (state_.transferActive) return;
  state_.ports.Reload();
  Show();
}

void PortCommands::Choose(int index) {
  if (state_.transferActive) return;
  Chosen(state_.ports.Choose(index));
}

void PortCommands::Type(const std::string& text) {
  if (state_.transferActive) return;
  Chosen(state_.ports.Type(text));
}

void PortCommands::Chosen(const std::optional<std::string>& remembered) {
  if (remembered && state_.face != nullptr) {
    state_.face->StoreSetting(kPortSettingKey, *remembered);
  }
  Show();
  display_.Update();
}

std::string PortCommands::Prepare() {
  const std::string gone = state_.ports.Prepare();
  Show();
  return gone;
}

void PortCommands::Show() {
  if (state_.face == nullptr) return;
  const std::vector<std::string> texts = state_.ports.Texts();
  const int chosen = state_.ports.Chosen();
  const bool named = chosen >= 0 && chosen < static_cast<int>(texts.size());
  state_.face->SetPortChoices(texts, chosen,
                              named ? texts[static_cast<std::size_t>(chosen)]
                                    : lang::Tr("The port the analyser is reached through"));
}

}  // namespace quelt::control
