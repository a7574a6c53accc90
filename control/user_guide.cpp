#include "control/user_guide.h"

#include <string>
#include <system_error>

namespace quelt::control {

std::vector<std::filesystem::path> UserGuideCandidates(const std::filesystem::path& programFolder,
                                                       std::string_view language) {
  // The language's own guide; where it has none, its quick start (connect,
  // Refresh, edit, Send, Backups) before the full guide in English.
  std::vector<std::string> names;
  if (!language.empty() && language != "en") {
    for (const char* kind : {"USER-GUIDE.", "QUICKSTART."}) {
      const std::string own = std::string(kind).append(language);
      names.push_back(own + ".txt");
      names.push_back(own + ".md");
    }
  }
  names.push_back("USER-GUIDE.txt");
  names.push_back("USER-GUIDE.md");

  const std::filesystem::path docFolder =
      programFolder.parent_path() / "share" / "doc" / "quelt-fuel";
  std::vector<std::filesystem::path> candidates;
  for (const std::filesystem::path& folder : {programFolder, docFolder}) {
    for (const std::string& name : names) candidates.push_back(folder / name);
  }
  return candidates;
}

std::filesystem::path FindUserGuide(const std::filesystem::path& programFolder,
                                    std::string_view language) {
  for (const std::filesystem::path& candidate : UserGuideCandidates(programFolder, language)) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return {};
}

}  // namespace quelt::control
