// Who and where, for the service report: the lines the technician types in
// the report's form before the file is asked for, remembered between runs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "lang/tr.h"

namespace quelt::control {

struct ReportParties {
  std::string customer, site, technician;  // UTF-8
  friend bool operator==(const ReportParties&, const ReportParties&) = default;
};

// A line of the form holds at most this many characters.
inline constexpr int kPartyMaxChars = 80;

// The form's caption and its labels, for lang::Tr.
inline constexpr const char* kPartiesCaption = lang::TrLater("Service report");
inline constexpr const char* kCustomerLabel = lang::TrLater("Customer");
inline constexpr const char* kSiteLabel = lang::TrLater("Site");
inline constexpr const char* kTechnicianLabel = lang::TrLater("Technician");

// `utf8` cut to its first kPartyMaxChars characters, never inside one.
std::string PartyLine(std::string_view utf8);

}  // namespace quelt::control
