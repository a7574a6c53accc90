// One language's texts: the English text (and its context) to the
// translation, for the entries that have one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "lang/po_reader.h"

namespace quelt::lang {

class Catalogue {
 public:
  Catalogue() = default;
  // Fuzzy and empty translations are left out: they show the English text.
  explicit Catalogue(const PoFile& file);

  // The translation, or nullptr when there is none.
  const std::string* Find(std::string_view context, std::string_view english) const;
  std::size_t Size() const { return texts_.size(); }

 private:
  static std::string Key(std::string_view context, std::string_view english);
  std::unordered_map<std::string, std::string> texts_;
};

}  // namespace quelt::lang
