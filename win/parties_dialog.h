// The service report's form on Win32: customer, site and technician,
// filled with the lines last given; the controller keeps them.
#pragma once

#include <windows.h>

#include "control/report_parties.h"

namespace quelt::win {

// Control IDs of the form's edits, in tab order; the buttons are IDOK and
// IDCANCEL.
inline constexpr int kCustomerEditId = 2100;
inline constexpr int kSiteEditId = 2101;
inline constexpr int kTechnicianEditId = 2102;

// Opens the form on `parties` and waits until it closes; OK: true, and
// `parties` holds what the form held.
bool EditReportParties(control::ReportParties& parties, HWND owner);

}  // namespace quelt::win
