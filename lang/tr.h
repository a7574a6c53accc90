// The texts of the windows in the language in use. Every text is written in
// English in the program and looked up in the language's catalogue; a text
// without a translation shows in English. The catalogues are compiled into
// the programs; each is read once, when it is first asked for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quelt::lang {

// `english` in the language in use, UTF-8.
std::string Tr(std::string_view english);
// The same for a text whose translation depends on where it stands ("Send"
// on a button or in a log line): `context` tells the translator.
std::string TrIn(std::string_view context, std::string_view english);

// Marks a text written as a constant (a table of controls, a name used in
// several places) for the catalogue; Tr() looks it up where it is shown.
constexpr const char* TrLater(const char* english) { return english; }

// The languages that can be chosen: "en" and each compiled-in catalogue that
// translates at least one text, in alphabetical order.
std::vector<std::string> Languages();
bool IsAvailable(std::string_view code);

// Makes `code` the language in use; false (and no change) when it is not
// available. Meant for start-up, before the windows show a text.
bool SetLanguage(std::string_view code);
// "en" until SetLanguage.
std::string Language();
// The language in use in its own words ("Deutsch"), for About.
std::string LanguageName();
std::string LanguageName(std::string_view code);

// What went wrong reading a compiled-in catalogue ("de.po: line 12: ..."),
// or "": such a language shows in English.
std::string CatalogueProblem();

}  // namespace quelt::lang
