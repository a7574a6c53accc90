// Why the link failed, in the language in use: the words the windows and the
// log give after "Communication error !". With no language set they are the
// link's own English sentence (AnalyserLink::ConnectProblem).
#pragma once

#include <string>

#include "link/analyser_link.h"

namespace quelt {

// UTF-8; "" when the link names no problem.
std::string LinkProblemText(const LinkProblem& problem);
inline std::string LinkProblemText(const AnalyserLink& link) {
  return LinkProblemText(link.Problem());
}

}  // namespace quelt
