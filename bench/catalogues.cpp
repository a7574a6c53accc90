// What the compiled-in catalogues cost: the start-up, which reads the
// chosen language's catalogue once; reading all of them (once, then again
// and again for the steady figure); a lookup of a window text in the
// language in use.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/measure.h"
#include "lang/catalogue.h"
#include "lang/embedded.h"
#include "lang/tr.h"

int main(int argc, char** argv) {
  using namespace quelt;
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
  const int lookups = 1000000;

  std::size_t bytes = 0;
  for (const lang::EmbeddedCatalogue& c : lang::EmbeddedCatalogues()) bytes += c.text.size();

  const bench::Stopwatch first;
  const bool german = lang::SetLanguage("de");  // a German start-up
  const double startup = first.Wall();
  const bench::Stopwatch rest;
  const std::string problem = lang::CatalogueProblem();  // reads the others
  const double others = rest.Wall();
  if (!german || !problem.empty()) {
    std::fprintf(stderr, "the German catalogue did not load: %s\n", problem.c_str());
    return 1;
  }

  std::size_t texts = 0;
  const bench::Stopwatch again;
  for (int i = 0; i < rounds; ++i) {
    for (const lang::EmbeddedCatalogue& c : lang::EmbeddedCatalogues()) {
      std::string error;
      const auto file = lang::ReadPo(c.text, &error);
      if (!file) return 1;
      texts += lang::Catalogue(*file).Size();
    }
  }
  const double read = again.Wall() / rounds;

  std::size_t length = 0;
  const bench::Stopwatch look;
  for (int i = 0; i < lookups; ++i) {
    length += lang::Tr(i % 2 ? "Get fuel list from the instrument" : "not in any catalogue").size();
  }
  const double lookup = look.Wall() / lookups;

  std::printf("catalogues       %zu (%zu bytes, %zu translations)\n",
              lang::EmbeddedCatalogues().size(), bytes, texts / rounds);
  std::printf("start-up read    %.3f ms (the German catalogue, first use)\n", startup * 1e3);
  std::printf("the others       %.3f ms (first use)\n", others * 1e3);
  std::printf("all again        %.3f ms (mean of %d)\n", read * 1e3, rounds);
  std::printf("Tr lookup        %.0f ns (mean of %d, half of them untranslated; %zu)\n",
              lookup * 1e9, lookups, length % 10);
  return 0;
}
