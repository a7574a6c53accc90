// The port the window talks to, as the user chooses it: "find the analyser
// automatically" (discovery, the first entry and the default) or one of the
// ports of the system (link/port_list.h). The choice is remembered between
// runs through the window's settings; a remembered port that is not there
// is shown as such and the analyser is looked for automatically until it
// is back. A port given on the window's command line wins for that run, and
// the simulated analyser leaves nothing to choose.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "lang/tr.h"
#include "link/analyser_link.h"
#include "link/port_list.h"

namespace quelt::control {

// The setting that holds the chosen device ("" or none: automatic).
inline constexpr const char* kPortSettingKey = "port/device";
inline constexpr const char* kAutomaticPortText = lang::TrLater("Find the analyser automatically");

class PortChooser {
 public:
  using Lister = std::function<std::vector<PortEntry>()>;

  explicit PortChooser(AnalyserLink& link);

  // Where the ports come from (default: the system's, ListSerialPorts).
  void SetLister(Lister lister) { lister_ = std::move(lister); }

  // The run starts with the remembered device. A port already given to the
  // link (the command line's) wins. Returns a line for the log when the
  // remembered port is not there ("" otherwise). Only the first call counts.
  std::string Start(const std::string& remembered);
  // The simulated analyser is attached: one entry, nothing to choose.
  void Simulated();
  // The list anew (the user opens the control).
  void Reload();
  // The user chose entry `index` of Texts(): the device to remember ("" for
  // automatic), or nothing when there is nothing new to remember.
  std::optional<std::string> Choose(int index);
  // The user typed `text` into the control: an entry's text or a port's
  // device chooses that entry; any other name is a port used as given, listed
  // or not (COM9, /dev/ttyS0). The device to remember, or nothing when there
  // is nothing new to remember (an empty text or a control character).
  std::optional<std::string> Type(const std::string& text);
  // Before an operation opens the port: the chosen port when it is there,
  // else automatic and a line for the log saying so ("" otherwise).
  std::string Prepare();

  // The entries as the control shows them, and the one chosen.
  const std::vector<std::string>& Texts() const { return texts_; }
  int Chosen() const { return chosen_; }
  // False while there is nothing to choose (the simulated analyser).
  bool Choosable() const { return mode_ != Mode::Simulated; }

 private:
  // Typed: a port the user typed, used as given like the command line's.
  enum class Mode { Automatic, Port, Typed, CommandLine, Simulated };

  // The entries and the chosen index from the list and the mode.
  void Build();
  bool Listed(const std::string& device) const;
  // The one place the link's port is read and set.
  const std::string& LinkPort() const;
  void SetLinkPort(const std::string& device);

  AnalyserLink& link_;
  Lister lister_;
  Mode mode_ = Mode::Automatic;
  std::string device_;  // Port, CommandLine: the device; Simulated: its name
  bool started_ = false;
  std::vector<PortEntry> ports_;
  std::vector<std::string> texts_;
  // Texts()[i] for i >= 1 and below 1 + ports_.size() is ports_[i - 1]; an
  // entry after them stands for device_ (not listed: gone, or given).
  int chosen_ = 0;
};

}  // namespace quelt::control
