#include "lang/tr.h"

#include <algorithm>
#include <atomic>
#include <map>

#include "lang/catalogue.h"
#include "lang/embedded.h"

namespace quelt::lang {
namespace {

struct Loaded {
  std::map<std::string, Catalogue, std::less<>> catalogues;  // by code, translating ones
  std::string problem;
};

// Every compiled-in catalogue, read on first use.
const Loaded& All() {
  static const Loaded loaded = [] {
    Loaded l;
    for (const EmbeddedCatalogue& e : EmbeddedCatalogues()) {
      std::string error;
      const auto file = ReadPo(e.text, &error);
      if (!file) {
        if (l.problem.empty()) l.problem = std::string(e.code) + ".po: " + error;
        continue;
      }
      Catalogue catalogue(*file);
      if (catalogue.Size() > 0) l.catalogues.emplace(std::string(e.code), std::move(catalogue));
    }
    return l;
  }();
  return loaded;
}

// nullptr while English is in use.
std::atomic<const Catalogue*> current{nullptr};
std::atomic<const std::string*> currentCode{nullptr};

std::string Lookup(std::string_view context, std::string_view english) {
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
  for (const auto& [code, catalogue] : All().catalogues) codes.push_back(code);
  std::sort(codes.begin(), codes.end());
  return codes;
}

bool IsAvailable(std::string_view code) { return code == "en" || All().catalogues.contains(code); }

bool SetLanguage(std::string_view code) {
  if (code == "en") {
    current.store(nullptr, std::memory_order_release);
    currentCode.store(nullptr, std::memory_order_release);
    return true;
  }
  const auto it = All().catalogues.find(code);
  if (it == All().catalogues.end()) return false;
  current.store(&it->second, std::memory_order_release);
  currentCode.store(&it->first, std::memory_order_release);
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

std::string CatalogueProblem() { return All().problem; }

}  // namespace quelt::lang
