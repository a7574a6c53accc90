// Which language the windows speak: "--lang CODE" when given; else the
// system's: on Windows the user's UI language, elsewhere the first of
// LC_ALL, LC_MESSAGES and LANG that is set and not empty. C, POSIX and every
// language without a catalogue give English.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quelt::lang {

// The language code of a locale name: "de_DE.UTF-8" and "de_AT@euro" give
// "de"; "C", "POSIX" and "" give "".
std::string CodeOfLocale(std::string_view locale);

// The code from the environment; `get` returns a variable's value, nullopt
// when it is not set.
using Environment = std::function<std::optional<std::string>(const char* name)>;
std::string CodeFromEnvironment(const Environment& get);

// The code of a Windows language identifier (GetUserDefaultUILanguage), ""
// for a language the program has no name for.
std::string CodeOfWindowsLanguage(unsigned languageId);

// The system's choice as a code, "" when it names none.
std::string SystemLanguage();

// The language to use: the option's when it is given, else the system's;
// "en" when the one that decides is not in `available`.
std::string ChooseLanguage(std::string_view option, std::string_view system,
                           std::span<const std::string> available);

// "" when `option` names an available language, else what to tell the user
// ("unknown language 'xx' (de, en)").
std::string LanguageOptionError(std::string_view option);

// Start-up: chooses from the option and the system, makes it the language
// in use and returns its code.
std::string UseLanguage(std::string_view option);

}  // namespace quelt::lang
