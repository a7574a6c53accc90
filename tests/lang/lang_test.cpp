// The translated texts: every compiled-in catalogue reads and keeps the
// places of its English texts; a text without a translation shows in
// English; the language follows --lang, then the system; the reader names
// the line of what it refuses.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "lang/catalogue.h"
#include "lang/choice.h"
#include "lang/embedded.h"
#include "lang/format.h"
#include "lang/po_reader.h"
#include "lang/tr.h"

namespace quelt::lang {
namespace {

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

TEST(Catalogues, TranslationsKeepEveryPlaceAndAddNone) {
  for (const EmbeddedCatalogue& c : EmbeddedCatalogues()) {
    for (const PoEntry& e : Read(c.text).entries) {
      if (e.text.empty()) continue;
      EXPECT_EQ(Placeholders(e.text), Placeholders(e.id))
          << c.code << ".po line " << e.line << ": " << e.id;
    }
  }
}

#ifdef QUELT_POT
// And German, the language the windows ship with, translates every one.
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
      if (c.code == "de") {
        EXPECT_TRUE(!e.text.empty() && !e.fuzzy)
            << "de.po line " << e.line << " has no German for: " << e.id;
      }
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
