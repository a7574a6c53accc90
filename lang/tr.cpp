
#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "lang/catalogue.h"
#include "lang/embedded.h"
#include "lang/tr.h"

namespace quelt::lang {
namespace {

// The compiled-in catalogues, each read on its first use: a start-up reads
// only the one of the language chosen.
class Store {
 public:
  // The catalogue of `code` if it reads and translates a text, else nullptr.
  const std::pair<const std::string, Catalogue>* Find(std::string_view code) {
    const std::lock_guard lock(mutex_);
    auto it = loaded_.find(code);
    if (it == loaded_.end()) it = loaded_.emplace(std::string(code), Load(code)).first;
    if (!it->second || it->second->second.Size() == 0) return nullptr;
    return &*it->second;
  }

  std::string Problem() {
    for (const EmbeddedCatalogue& e : EmbeddedCatalogues()) Find(e.code);
    const std::lock_guard lock(mutex_);
    return problem_;
  }

 private:
  std::optional<std::pair<const std::string, Catalogue>> Load(std::string_view code) {
    for (const EmbeddedCatalogue& e : EmbeddedCatalogues()) {
      if (e.code != code) continue;
      std::string error;
      const auto file = ReadPo(e.text, &error);
      if (!file) {
        if (problem_.empty()) problem_ = std::string(code) + ".po: " + error;
        return std::nullopt;
      }
      return std::make_pair(std::string(code), Catalogue(*file));
    }
    return std::nullopt;
  }

  std::mutex mutex_;
  std::map<std::string, std::optional<std::pair<const std::string, Catalogue>>, std::less<>>
      loaded_;
  std::string problem_;
};

Store& Catalogues() {
  static Store store;
  return store;
}

// nullptr while English is in use.
std::atomic<const Catalogue*> current{nullptr};
std::atomic<const std::string*> currentCode{nullptr};

std::string Lookup(std::string_view context, std::string_view english) {
  // The empty msgid is the catalogue's header, never a text to show.
  if (english.empty()) return {};
  const Catalogue* catalogue = current.load(std::memory_order_acquire);
  if (catalogue != nullptr) {
    if (const std::string* text = catalogue->Find(context, english)) return *text;
  }
  return std::string(english);
}

}  // namespace

std::string Tr(std::string_view english) { return Lookup({}, english); }

std::string TrIn(std::string_view context, std::string_view english) {
  return Lookup(context, english);
}

std::vector<std::string> Languages() {
  std::vector<std::string> codes{"en"};
  for (const EmbeddedCatalogue& e : EmbeddedCatalogues()) {
    if (e.code != "en" && Catalogues().Find(e.code) != nullptr) codes.emplace_back(e.code);
  }
  std::sort(codes.begin(), codes.end());
  return codes;
}

bool IsAvailable(std::string_view code) {
  return code == "en" || Catalogues().Find(code) != nullptr;
}

bool SetLanguage(std::string_view code) {
  if (code == "en") {
    current.store(nullptr, std::memory_order_release);
    currentCode.store(nullptr, std::memory_order_release);
    return true;
  }
  const auto* found = Catalogues().Find(code);
  if (found == nullptr) return false;
  current.store(&found->second, std::memory_order_release);
  currentCode.store(&found->first, std::memory_order_release);
  return true;
}

std::string Language() {
  const std::string* code = currentCode.load(std::memory_order_acquire);
  return code == nullptr ? "en" : *code;
}

std::string LanguageName(std::string_view code) {
  static const std::map<std::string_view, std::string_view> names = {
      {"cs", "\u010ce\u0161tina"},
      {"de", "Deutsch"},
      {"en", "English"},
      {"es", "Espa\u00f1ol"},
      {"fi", "Suomi"},
      {"it", "Italiano"},
      {"ko", "\ud55c\uad6d\uc5b4"},
      {"pl", "Polski"},
      {"ru", "\u0420\u0443\u0441\u0441\u043a\u0438\u0439"},
  };
  const auto it = names.find(code);
  return it == names.end() ? std::string(code) : std::string(it->second);
}

std::string LanguageName() { return LanguageName(Language()); }

std::string CatalogueProblem() { return Catalogues().Problem(); }

}  // namespace quelt::lang
