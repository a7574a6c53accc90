// The translated texts: every compiled-in catalogue reads and keeps the
// places of its English texts; a text without a translation shows in
// English; the language follows --lang, then the system; the reader names
// the line of what it refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include "lang/catalogue.h"
#include "lang/choice.h"
#include "lang/embedded.h"
#include "lang/format.h"
#include "lang/po_reader.h"
#include "lang/tr.h"

namespace quelt::lang {
namespace {

// The analyser's nine languages: the code, a system locale and a Windows UI
// language that name it, and its name in its own words (About).
struct Spoken {
  const char* code;
  const char* locale;
  unsigned windowsId;
  const char* name;
};
constexpr Spoken kSpoken[] = {
    {"cs", "cs_CZ.UTF-8", 0x0405, "\u010ce\u0161tina"},
    {"de", "de_DE.UTF-8", 0x0407, "Deutsch"},
    {"en", "en_GB.UTF-8", 0x0809, "English"},
    {"es", "es_ES.UTF-8", 0x0C0A, "Espa\u00f1ol"},
    {"fi", "fi_FI.UTF-8", 0x040B, "Suomi"},
    {"it", "it_IT.UTF-8", 0x0410, "Italiano"},
    {"ko", "ko_KR.UTF-8", 0x0412, "\ud55c\uad6d\uc5b4"},
    {"pl", "pl_PL.UTF-8", 0x0415, "Polski"},
    {"ru", "ru_RU.UTF-8", 0x0419, "\u0420\u0443\u0441\u0441\u043a\u0438\u0439"},
};

// The keys a text's '&' marks ("&&" is a plain '&'), each as the letter's
// code point, upper case for Latin and Cyrillic.
std::vector<char32_t> AcceleratorKeys(std::string_view text) {
  std::vector<char32_t> keys;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[++i] == '&') continue;
    const auto lead = static_cast<unsigned char>(text[i]);
    char32_t c = lead;
    if (lead >= 0xC0 && i + 1 < text.size()) {  // two bytes are enough for these scripts
      c = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
    }
    if (c >= U'a' && c <= U'z') c -= 0x20;
    if (c >= U'\u0430' && c <= U'\u044f') c -= 0x20;
    keys.push_back(c);
  }
  return keys;
}

PoFile Read(std::string_view text) {
  std::string error;
  auto file = ReadPo(text, &error);
  EXPECT_TRUE(file) << error;
  return file ? *file : PoFile{};
}

TEST(Catalogues, EveryOneReadsAndNamesItsLanguage) {
  ASSERT_FALSE(EmbeddedCatalogues().empty());
  for (const EmbeddedCatalogue& c : EmbeddedCatalogues()) {
    SCOPED_TRACE(std::string(c.code));
    std::string error;
    const auto file = ReadPo(c.text, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->HeaderField("Language"), c.code);
    EXPECT_EQ(file->HeaderField("Content-Type"), "text/plain; charset=UTF-8");
  }
  EXPECT_EQ(CatalogueProblem(), "");
}

// Every language but English translates every text, none fuzzy, and keeps
// its places and its one key per '&'; the buttons that stand together get
// keys of their own.
TEST(Catalogues, TranslationsKeepEveryPlaceAndAddNone) {
  const std::vector<std::vector<std::string>> together = {
      {"&Yes", "&No"},
      {"&Save", "&Discard"},
      {"&Load into grid", "&Compare with analyser", "&Restore", "&Close"},
  };
  EXPECT_EQ(EmbeddedCatalogues().size(), std::size(kSpoken) - 1) << "a catalogue of its own each";
  for (const Spoken& language : kSpoken) {
    if (language.code == std::string_view("en")) continue;
    const EmbeddedCatalogue* c = nullptr;
    for (const EmbeddedCatalogue& e : EmbeddedCatalogues()) c = e.code == language.code ? &e : c;
    ASSERT_NE(c, nullptr) << "no po/" << language.code << ".po";
    std::map<std::string, std::string> texts;
    for (const PoEntry& e : Read(c->text).entries) {
      const std::string where = std::string(language.code) + ".po line " + std::to_string(e.line);
      EXPECT_TRUE(!e.text.empty() && !e.fuzzy) << where << " is not translated: " << e.id;
      if (e.text.empty()) continue;
      texts[e.id] = e.text;
      EXPECT_EQ(Placeholders(e.text), Placeholders(e.id)) << where << ": " << e.id;
      EXPECT_EQ(AcceleratorKeys(e.text).size(), AcceleratorKeys(e.id).size())
          << where << ": " << e.id << " -> " << e.text;
    }
    for (const std::vector<std::string>& group : together) {
      std::set<char32_t> keys;
      for (const std::string& english : group) {
        for (const char32_t key : AcceleratorKeys(texts[english])) {
          EXPECT_TRUE(keys.insert(key).second)
              << language.code << ": the key of '" << texts[english] << "' is taken beside it";
        }
      }
    }
  }
}

#ifdef QUELT_POT
TEST(Catalogues, HoldTheTemplatesTextsAndNoOthers) {
  std::ifstream in(QUELT_POT, std::ios::binary);
  std::stringstream pot;
  pot << in.rdbuf();
  std::map<std::pair<std::string, std::string>, bool> texts;
  for (const PoEntry& e : Read(pot.str()).entries) texts[{e.context, e.id}] = true;
  ASSERT_FALSE(texts.empty());
  for (const EmbeddedCatalogue& c : EmbeddedCatalogues()) {
    const PoFile file = Read(c.text);
    EXPECT_EQ(file.entries.size(), texts.size()) << c.code << ".po is not merged";
    for (const PoEntry& e : file.entries) {
      EXPECT_TRUE(texts.contains({e.context, e.id}))
          << c.code << ".po line " << e.line << " is not in the template: " << e.id;
    }
  }
}
#endif

TEST(Translation, FallsBackToEnglishForWhatIsNotTranslated) {
  const Catalogue catalogue(Read(R"(
msgid "Refresh"
msgstr "Lesen"

#, fuzzy
msgid "Backups"
msgstr "Sicherungen"

msgid "About"
msgstr ""

msgctxt "button"
msgid "Send"
msgstr "Senden"
)"));
  struct Case {
    const char* context;
    const char* english;
    const char* shown;  // nullptr: English
  } cases[] = {
      {"", "Refresh", "Lesen"},       {"", "Backups", nullptr},  // fuzzy
      {"", "About", nullptr},                                    // empty
      {"", "Send", nullptr},                                     // only in a context
      {"button", "Send", "Senden"},                              //
      {"button", "Refresh", nullptr}, {"", "Never written", nullptr},
  };
  for (const Case& c : cases) {
    const std::string* found = catalogue.Find(c.context, c.english);
    EXPECT_EQ(found ? *found : "(English)", c.shown ? c.shown : "(English)") << c.english;
  }
}

TEST(Translation, TheLanguageInUseDecidesAndAnUnknownOneChangesNothing) {
  ASSERT_TRUE(SetLanguage("de"));
  EXPECT_EQ(Language(), "de");
  EXPECT_EQ(LanguageName(), "Deutsch");
  EXPECT_NE(Tr("Refresh"), "Refresh");
  EXPECT_EQ(Tr("A text nobody translated"), "A text nobody translated");
  // The empty text of a control without a caption, never the header.
  EXPECT_EQ(Tr(""), "");
  EXPECT_FALSE(SetLanguage("xx"));
  EXPECT_EQ(Language(), "de");
  ASSERT_TRUE(SetLanguage("en"));
  EXPECT_EQ(Tr("Refresh"), "Refresh");
  EXPECT_EQ(LanguageName(), "English");
}

TEST(Format, PutsTheValuesInTheirNumberedPlaces) {
  struct Case {
    std::string pattern;
    std::vector<std::string> values;
    std::string expected;
  } cases[] = {
      {"Row {1} of {2}", {"3", "17"}, "Row 3 of 17"},
      {"{2} Zeilen, davon {1}", {"3", "17"}, "17 Zeilen, davon 3"},
      {"{1} und {1}", {"a"}, "a und a"},
      {"{1}{2}", {"{2}", "x"}, "{2}x"},  // a value is not read again
      {"Row {3}", {"1"}, "Row {3}"},     // no value: the place stays
      {"{0} {x} {} {100} {1", {"a"}, "{0} {x} {} {100} {1"},
      {"{12}", std::vector<std::string>(12, "v"), "v"},
      {"", {"a"}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatList(c.pattern, c.values), c.expected) << c.pattern;
  }
  EXPECT_EQ(Format("{1} rows to {2}", 15, std::string("a.txt")), "15 rows to a.txt");
  EXPECT_EQ(Placeholders("{2} of {1}, {2}, {x}"), (std::set<int>{1, 2}));
}

TEST(Choice, OptionFirstThenTheEnvironmentInItsOrder) {
  const std::vector<std::string> available = {"de", "en"};
  struct Case {
    const char* option;
    const char* lcAll;  // nullptr: not set
    const char* lcMessages;
    const char* lang;
    const char* expected;
  } cases[] = {
      {"", nullptr, nullptr, "de_DE.UTF-8", "de"},
      {"", nullptr, nullptr, nullptr, "en"},
      {"", "C", nullptr, "de_DE.UTF-8", "en"},  // the first set decides
      {"", "POSIX", "de_DE", "de_DE", "en"},
      {"", "", "", "de_AT@euro", "de"},  // empty counts as not set
      {"", nullptr, "de_CH.utf8", "en_GB.UTF-8", "de"},
      {"", "en_US.UTF-8", "de_DE", "de_DE", "en"},
      {"", "fr_FR.UTF-8", nullptr, "de_DE", "en"},  // no catalogue: English
      {"", "cs_CZ.UTF-8", nullptr, nullptr, "en"},
      {"", "C.UTF-8", nullptr, "de_DE", "en"},
      {"", "DE_de", nullptr, nullptr, "de"},
      {"en", "de_DE.UTF-8", nullptr, nullptr, "en"},  // the option wins
      {"de", "C", nullptr, nullptr, "de"},
      {"xx", nullptr, nullptr, "de_DE", "en"},
  };
  for (const Case& c : cases) {
    const std::map<std::string, const char*> env = {
        {"LC_ALL", c.lcAll}, {"LC_MESSAGES", c.lcMessages}, {"LANG", c.lang}};
    const std::string system = CodeFromEnvironment([&](const char* name) {
      const char* v = env.at(name);
      return v == nullptr ? std::nullopt : std::optional<std::string>(v);
    });
    EXPECT_EQ(ChooseLanguage(c.option, system, available), c.expected)
        << "--lang '" << c.option << "' LC_ALL " << (c.lcAll ? c.lcAll : "-") << " LC_MESSAGES "
        << (c.lcMessages ? c.lcMessages : "-") << " LANG " << (c.lang ? c.lang : "-");
  }
}

// Each of the nine from each locale variable, from Windows' UI language and
// from --lang, which wins over the system's.
TEST(Choice, EachLanguageFromTheSystemOrTheOption) {
  const std::vector<std::string> available = Languages();
  ASSERT_EQ(available.size(), std::size(kSpoken));
  for (std::size_t i = 0; i < std::size(kSpoken); ++i) {
    const Spoken& l = kSpoken[i];
    const Spoken& other = kSpoken[(i + 1) % std::size(kSpoken)];
    SCOPED_TRACE(l.code);
    EXPECT_EQ(available[i], l.code);
    for (const std::string variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const std::string system = CodeFromEnvironment([&](const char* name) {
        return name == variable ? std::optional<std::string>(l.locale) : std::nullopt;
      });
      EXPECT_EQ(ChooseLanguage("", system, available), l.code) << variable;
    }
    EXPECT_EQ(ChooseLanguage("", CodeOfWindowsLanguage(l.windowsId), available), l.code);
    EXPECT_EQ(ChooseLanguage(l.code, CodeOfLocale(other.locale), available), l.code);
    EXPECT_EQ(LanguageOptionError(l.code), "");
#ifndef _WIN32
    // Start-up as the program makes it, from the process's environment.
    ::setenv("LC_ALL", l.locale, 1);
    EXPECT_EQ(UseLanguage(""), l.code);
    ::setenv("LC_ALL", other.locale, 1);
    EXPECT_EQ(UseLanguage(l.code), l.code);
    ::unsetenv("LC_ALL");
#else
    ASSERT_TRUE(SetLanguage(l.code));
#endif
    EXPECT_EQ(LanguageName(), l.name);
    EXPECT_EQ(Tr("Refresh") == "Refresh", l.code == std::string_view("en"));
  }
  SetLanguage("en");
}

TEST(Choice, WindowsLanguageIdentifiersByTheirPrimaryLanguage) {
  const std::pair<unsigned, const char*> cases[] = {
      {0x0407, "de"}, {0x0C07, "de"}, {0x0807, "de"}, {0x0409, "en"}, {0x0809, "en"},
      {0x0405, "cs"}, {0x040B, "fi"}, {0x0410, "it"}, {0x0412, "ko"}, {0x0415, "pl"},
      {0x0419, "ru"}, {0x0C0A, "es"}, {0x040C, ""},   {0x0000, ""},
  };
  for (const auto& [id, code] : cases) EXPECT_EQ(CodeOfWindowsLanguage(id), code) << id;
  EXPECT_EQ(LanguageOptionError("de"), "");
  EXPECT_EQ(LanguageOptionError("xx").rfind("unknown language 'xx' (", 0), 0u);
}

TEST(PoReader, ReadsStringsEscapesContextsAndFlags) {
  struct Case {
    std::string po;
    std::string context, id, text;
    bool fuzzy;
  } cases[] = {
      {"msgid \"a\"\nmsgstr \"b\"\n", "", "a", "b", false},
      {"msgid \"\"\n\"Row \"\n  \"{1}\"\nmsgstr \"\"\n\"Zeile {1}\"", "", "Row {1}", "Zeile {1}",
       false},
      {"msgid \"a\\n\\t\\\"q\\\" \\\\\"\nmsgstr \"x\"", "", "a\n\t\"q\" \\", "x", false},
      {"msgid \"l\\303\\266schen \\x41\"\nmsgstr \"\\x7a\"", "", "l\u00f6schen A", "z", false},
      {"# translator\n#: control/x.cpp:12\n#, fuzzy, c-format\nmsgid \"a\"\nmsgstr \"b\"", "", "a",
       "b", true},
      {"msgctxt \"menu\"\nmsgid \"Edit\"\nmsgstr \"Bearbeiten\"", "menu", "Edit", "Bearbeiten",
       false},
      {"\xEF\xBB\xBFmsgid \"a\"\r\nmsgstr \"b\"\r\n", "", "a", "b", false},
      {"#~ msgid \"old\"\n#~ msgstr \"alt\"\nmsgid \"a\"\nmsgstr \"\"", "", "a", "", false},
  };
  for (const Case& c : cases) {
    const PoFile file = Read(c.po);
    ASSERT_EQ(file.entries.size(), 1u) << c.po;
    const PoEntry& e = file.entries.front();
    EXPECT_EQ(e.context, c.context) << c.po;
    EXPECT_EQ(e.id, c.id) << c.po;
    EXPECT_EQ(e.text, c.text) << c.po;
    EXPECT_EQ(e.fuzzy, c.fuzzy) << c.po;
  }
}

TEST(PoReader, RefusesWithTheLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"msgid \"a\"\n", "line 1: msgid without msgstr"},
      {"msgid \"a\"\nmsgid \"b\"\nmsgstr \"\"", "line 1: msgid without msgstr"},
      {"\nmsgstr \"b\"", "line 2: msgstr without msgid"},
      {"msgid \"a\"\nmsgstr \"b\"\nmsgstr \"c\"", "line 3: a second msgstr"},
      {"msgid \"a\nmsgstr \"b\"", "line 1: the string has no closing quote"},
      {"msgid \"a\\q\"\nmsgstr \"b\"", "line 1: an unknown escape \\q"},
      {"msgid \"a\\400\"\nmsgstr \"b\"", "line 1: an octal escape beyond \\377"},
      {"msgid \"a\" x\nmsgstr \"b\"", "line 1: text after the closing quote"},
      {"msgid a\nmsgstr \"b\"", "line 1: a string in double quotes is expected"},
      {"msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"b\"",
       "line 2: plural forms are not supported; write one text for every number"},
      {"msgid \"a\"\nmsgstr \"b\"\nmsgtext \"c\"", "line 3: unknown keyword 'msgtext'"},
      {"\"a\"\nmsgid \"a\"\nmsgstr \"b\"", "line 1: a string outside an entry"},
      {"msgid \"a\"\n# note\nmsgstr \"b\"", "line 2: a comment inside an entry"},
      {"msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"a\"\nmsgstr \"c\"",
       "line 4: this msgid is given on line 1 already"},
      {"msgid \"a\"\nmsgstr \"\xE4\"", "line 1: the entry is not UTF-8"},
      {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"",
       "line 2: the charset is ISO-8859-1, not UTF-8"},
  };
  for (const auto& [po, expected] : cases) {
    std::string error;
    EXPECT_FALSE(ReadPo(po, &error)) << po;
    EXPECT_EQ(error, expected) << po;
  }
}

}  // namespace
}  // namespace quelt::lang
