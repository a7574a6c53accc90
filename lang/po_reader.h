// The reader of the translation catalogues: gettext .po text in UTF-8.
// It takes msgctxt, msgid and msgstr with strings continued over several
// lines, the C escapes, comments and flags; an entry flagged "fuzzy" counts
// as untranslated. Plural forms are refused, as no text needs them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::lang {

struct PoEntry {
  std::string context;  // msgctxt; "" when the entry has none
  std::string id;       // msgid: the English text
  std::string text;     // msgstr: "" when untranslated
  bool fuzzy = false;
  int line = 0;  // of its msgid
};

struct PoFile {
  // The entries in file order, the header (msgid "") excluded.
  std::vector<PoEntry> entries;
  // The header's fields ("Language" -> "de"), in file order.
  std::vector<std::pair<std::string, std::string>> header;

  std::string HeaderField(std::string_view name) const;
};

// The whole file, or nothing and `*error` as "line N: what is wrong".
std::optional<PoFile> ReadPo(std::string_view text, std::string* error);

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);

}  // namespace quelt::lang
