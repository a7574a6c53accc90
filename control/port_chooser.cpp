#include "control/port_chooser.h"

#include "lang/format.h"
#include "lang/tr.h"

namespace quelt::control {
namespace {

// Names come from the system (registry, file names) and the settings: the
// control and the log get them without control characters.
std::string Plain(std::string text) {
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return text;
}

}  // namespace

PortChooser::PortChooser(AnalyserLink& link)
    : link_(link), lister_([] { return ListSerialPorts(); }) {
  Build();
}

const std::string& PortChooser::LinkPort() const { return link_.portOverride(); }
void PortChooser::SetLinkPort(const std::string& device) { link_.SetPortOverride(device); }

std::string PortChooser::Start(const std::string& remembered) {
  if (started_ || mode_ == Mode::Simulated) return {};
  started_ = true;
  if (!LinkPort().empty()) {
    mode_ = Mode::CommandLine;
    device_ = LinkPort();
  } else if (!remembered.empty()) {
    mode_ = Mode::Port;
    device_ = remembered;
  }
  Reload();
  return mode_ == Mode::Port ? Prepare() : std::string();
}

void PortChooser::Simulated() {
  mode_ = Mode::Simulated;
  device_ = lang::Tr("simulated analyser");
  ports_.clear();
  Build();
}

void PortChooser::Reload() {
  if (mode_ == Mode::Simulated) return;
  ports_ = lister_();
  Build();
}

bool PortChooser::Listed(const std::string& device) const {
  for (const PortEntry& p : ports_) {
    if (p.device == device) return true;
  }
  return false;
}

void PortChooser::Build() {
  texts_.clear();
  chosen_ = 0;
  if (mode_ == Mode::Simulated) {
    texts_.push_back(device_);
    return;
  }
  texts_.push_back(lang::Tr(kAutomaticPortText));
  for (const PortEntry& p : ports_) {
    texts_.push_back(Plain(
        p.bridge ? lang::Format(lang::Tr("{1} - the analyser's USB bridge"), p.name) : p.name));
    if (mode_ != Mode::Automatic && p.device == device_)
      chosen_ = static_cast<int>(texts_.size()) - 1;
  }
  if (mode_ != Mode::Automatic && chosen_ == 0) {
    texts_.push_back(Plain(
        mode_ == Mode::Port ? lang::Format(lang::Tr("{1} - not connected"), device_) : device_));
    chosen_ = static_cast<int>(texts_.size()) - 1;
  }
}

std::optional<std::string> PortChooser::Choose(int index) {
  if (mode_ == Mode::Simulated || index < 0 || index >= static_cast<int>(texts_.size()) ||
      index == chosen_) {
    return std::nullopt;
  }
  if (index == 0) {
    mode_ = Mode::Automatic;
    device_.clear();
  } else if (index <= static_cast<int>(ports_.size())) {
    mode_ = Mode::Port;
    device_ = ports_[static_cast<std::size_t>(index) - 1].device;
  } else {
    return std::nullopt;  // the entry of the port not listed: it stays as it is
  }
  SetLinkPort(device_);
  Build();
  return device_;
}

std::optional<std::string> PortChooser::Type(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (mode_ == Mode::Simulated || first == std::string::npos) return std::nullopt;
  const std::string device = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  for (const char c : device) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
  }
  for (std::size_t i = 0; i < texts_.size(); ++i) {
    const bool port = i >= 1 && i <= ports_.size() && ports_[i - 1].device == device;
    if (texts_[i] == device || port) return Choose(static_cast<int>(i));
  }
  if (mode_ == Mode::Typed && device == device_) return std::nullopt;
  mode_ = Mode::Typed;
  device_ = device;
  SetLinkPort(device_);
  Build();
  return device_;
}

std::string PortChooser::Prepare() {
  if (mode_ != Mode::Port) return {};
  Reload();
  if (Listed(device_)) {
    SetLinkPort(device_);
    return {};
  }
  SetLinkPort({});
  return lang::Format(lang::Tr("{1} is not connected: the analyser is looked for automatically."),
                      Plain(device_));
}

}  // namespace quelt::control
