// The service report's form in Qt: customer, site and technician, filled
// with the lines last given; the controller keeps them.
#pragma once

#include <QWidget>

#include "control/report_parties.h"

namespace quelt::ui {

// The edits' object names, in tab order, for the window's tests.
inline constexpr const char* kPartyEditNames[] = {"CustomerEdit", "SiteEdit", "TechnicianEdit"};

// Opens the form (object name "PartiesDialog") on `parties` and waits until
// it closes; OK: true, and `parties` holds what the form held.
bool EditReportParties(control::ReportParties& parties, QWidget* parent);

}  // namespace quelt::ui
