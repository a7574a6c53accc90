#include "lang/choice.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "lang/tr.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quelt::lang {

std::string CodeOfLocale(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  const std::size_t end = locale.find_first_of("_-.@");
  const std::string_view language = locale.substr(0, end);
  if (language.size() < 2 || language.size() > 3) return {};
  std::string code;
  for (const char c : language) {
    if (!std::isalpha(static_cast<unsigned char>(c))) return {};
    code += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return code;
}

std::string CodeFromEnvironment(const Environment& get) {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::optional<std::string> value = get(name);
    // The first one set decides, even for C or an unknown language.
    if (value && !value->empty()) return CodeOfLocale(*value);
  }
  return {};
}

std::string CodeOfWindowsLanguage(unsigned languageId) {
  switch (languageId & 0x3FF) {  // the primary language
    case 0x05:
      return "cs";
    case 0x07:
      return "de";
    case 0x09:
      return "en";
    case 0x0A:
      return "es";
    case 0x0B:
      return "fi";
    case 0x10:
      return "it";
    case 0x12:
      return "ko";
    case 0x15:
      return "pl";
    case 0x19:
      return "ru";
    default:
      return {};
  }
}

std::string SystemLanguage() {
#ifdef _WIN32
  return CodeOfWindowsLanguage(GetUserDefaultUILanguage());
#else
  return CodeFromEnvironment([](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  });
#endif
}

std::string ChooseLanguage(std::string_view option, std::string_view system,
                           std::span<const std::string> available) {
  const std::string code = option.empty() ? CodeOfLocale(system) : CodeOfLocale(option);
  return std::find(available.begin(), available.end(), code) != available.end() ? code : "en";
}

std::string LanguageOptionError(std::string_view option) {
  if (IsAvailable(CodeOfLocale(option))) return {};
  std::string known;
  for (const std::string& code : Languages()) known += (known.empty() ? "" : ", ") + code;
  return "unknown language '" + std::string(option) + "' (" + known + ")";
}

std::string UseLanguage(std::string_view option) {
  const std::string system = option.empty() ? SystemLanguage() : std::string();
  // Only the catalogue asked for is read.
  const std::string wanted = CodeOfLocale(option.empty() ? std::string_view(system) : option);
  std::vector<std::string> available{"en"};
  if (wanted != "en" && IsAvailable(wanted)) available.push_back(wanted);
  const std::string code = ChooseLanguage(option, system, available);
  SetLanguage(code);
  return code;
}

}  // namespace quelt::lang
