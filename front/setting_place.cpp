#include "front/setting_place.h"

#include <algorithm>

#include "front/texts.h"
#include "fuel/status_text.h"

namespace quelt::front {

SettingPlace SettingPlaceOf(std::string_view name) {
  SettingPlace place{std::string("Software\\") + kSettingsOrganisation + "\\" + kProgramName,
                     std::string(name)};
  const std::size_t slash = name.rfind('/');
  if (slash == std::string_view::npos) return place;
  std::string group(name.substr(0, slash));
  std::replace(group.begin(), group.end(), '/', '\\');
  place.key += "\\" + group;
  place.value = std::string(name.substr(slash + 1));
  return place;
}

}  // namespace quelt::front
