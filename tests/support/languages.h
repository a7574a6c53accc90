// The analyser's nine languages as both windows speak them: the caption and
// the Refresh button's word each must show, and the texts from the
// catalogue that stand in the window's controls. Each window's test only
// reads the control's text its own way.
#pragma once

#include <string>
#include <vector>

#include "front/layout.h"
#include "fuel/status_text.h"
#include "lang/format.h"
#include "lang/tr.h"

namespace quelt::test {

struct SpokenLanguage {
  const char* code;
  const char* caption;  // UTF-8
  const char* refresh;
};

inline constexpr SpokenLanguage kNineLanguages[] = {
    {"cs", "Aktualizace seznamu paliv QUELT", "Na\u010d\u00edst"},
    {"de", "QUELT Brennstoffliste aktualisieren", "Lesen"},
    {"en", "QUELT fuel list update", "Refresh"},
    {"es", "Actualizaci\u00f3n de la tabla de combustibles QUELT", "Leer"},
    {"fi", "QUELT-polttoainetaulukon p\u00e4ivitys", "Lue"},
    {"it", "Aggiornamento tabella combustibili QUELT", "Leggi"},
    {"ko", "QUELT \uc5f0\ub8cc \ubaa9\ub85d \uc5c5\ub370\uc774\ud2b8", "\uc77d\uae30"},
    {"pl", "Aktualizacja listy paliw QUELT", "Odczytaj"},
    {"ru",
     "\u041e\u0431\u043d\u043e\u0432\u043b\u0435\u043d\u0438\u0435 "
     "\u0441\u043f\u0438\u0441\u043a\u0430 \u0442\u043e\u043f\u043b\u0438\u0432 QUELT",
     "\u0421\u0447\u0438\u0442\u0430\u0442\u044c"},
};

// A text the window shows in the language now set, and the control it
// stands in (the status line's with the rows the analyser stores and uses).
struct SpokenText {
  front::MainControl control;
  std::string text;
};

inline std::vector<SpokenText> SpokenTexts(const SpokenLanguage& language, int stored, int used) {
  return {
      {front::MainControl::RefreshButton, language.refresh},
      {front::MainControl::Legend, lang::Tr(kLegendNaturalGasH)},
      {front::MainControl::StatusLine,
       lang::Format(lang::Tr("{1} rows stored, {2} used"), stored, used)},
  };
}

}  // namespace quelt::test
