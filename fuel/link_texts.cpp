#include "fuel/link_texts.h"

#include "lang/format.h"
#include "lang/tr.h"

namespace quelt {

std::string LinkProblemText(const LinkProblem& p) {
  using K = LinkProblem::Kind;
  using lang::Format;
  using lang::Tr;
  // The system's reason stays in the system's words.
  const auto withReason = [&](const char* english, const char* withWhy) {
    return p.reason.empty() ? Format(Tr(english), p.device)
                            : Format(Tr(withWhy), p.device, p.reason);
  };
  std::string text;
  switch (p.kind) {
    case K::None:
      return {};
    case K::NoAnalyser:
      return Tr("No analyser found: the USB bridge of the QUELT is not attached.");
    case K::WentAway:
      return Format(Tr("The analyser's port went away ({1}): the cable was pulled, or the "
                       "analyser or its USB bridge was switched off."),
                    p.device);
    case K::CannotOpen:
      text = withReason(lang::TrLater("Cannot open {1}"), lang::TrLater("Cannot open {1}: {2}"));
      if (p.permission) {
        text += Tr(" (access refused: add your user to the dialout group and log in again)");
      }
      return text;
    case K::CannotConfigure:
      return withReason(lang::TrLater("Cannot configure {1}"),
                        lang::TrLater("Cannot configure {1}: {2}"));
    case K::CannotWrite:
    case K::CannotRead:
      text = p.kind == K::CannotWrite ? withReason(lang::TrLater("Cannot write to {1}"),
                                                   lang::TrLater("Cannot write to {1}: {2}"))
                                      : withReason(lang::TrLater("Cannot read from {1}"),
                                                   lang::TrLater("Cannot read from {1}: {2}"));
      if (p.gone) {
        text +=
            Tr(" (the port went away: the cable was pulled, or the analyser or its USB bridge was "
               "switched off)");
      }
      return text;
  }
  return {};
}

}  // namespace quelt
