// The user guide that F1 opens: shipped beside the Windows programs as
// USER-GUIDE.txt (and USER-GUIDE.de.txt), in the Debian package's doc folder
// as USER-GUIDE.md, and copied beside the programs in the build tree. A
// language without a guide of its own has a quick start, QUICKSTART.xx.txt
// or .md, in the same places.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace quelt::control {

// Where the guide for `language` may be, most fitting first: the language's
// own guide, then its quick start, before the English guide; beside the
// program before the doc folder of an installation under a prefix
// (bin/../share/doc/quelt-fuel).
std::vector<std::filesystem::path> UserGuideCandidates(const std::filesystem::path& programFolder,
                                                       std::string_view language);

// The first candidate that is a regular file; empty when none is.
std::filesystem::path FindUserGuide(const std::filesystem::path& programFolder,
                                    std::string_view language);

}  // namespace quelt::control
