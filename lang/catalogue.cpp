#include "lang/catalogue.h"

namespace quelt::lang {

Catalogue::Catalogue(const PoFile& file) {
  for (const PoEntry& e : file.entries) {
    if (e.fuzzy || e.text.empty()) continue;
    texts_.emplace(Key(e.context, e.id), e.text);
  }
}

std::string Catalogue::Key(std::string_view context, std::string_view english) {
  // EOT between context and text, as no text contains it.
  std::string key;
  key.reserve(context.size() + 1 + english.size());
  key.append(context).push_back('\x04');
  key.append(english);
  return key;
}

const std::string* Catalogue::Find(std::string_view context, std::string_view english) const {
  const auto it = texts_.find(Key(context, english));
  return it == texts_.end() ? nullptr : &it->second;
}

}  // namespace quelt::lang
