// The words both windows show, once. UTF-8; the front ends convert at their
// edge. Texts the operations produce (log lines, "Timeout", ...) live with the
// operations in fuel/.
#pragma once

namespace quelt::front {

inline constexpr const char* kMainCaption = "QUELT fuel list update";
inline constexpr const char* kRefreshCaption = "Refresh";
inline constexpr const char* kSendCaption = "QUELT";
inline constexpr const char* kRefreshHint = "Get fuel list from the instrument";
inline constexpr const char* kSendHint = "Send's new list to the instrument";
inline constexpr const char* kExitHint = "Close window";
inline constexpr const char* kUpHint = "fuel move up";
inline constexpr const char* kDownHint = "fuel move down";
inline constexpr const char* kGridHint = "Actual table";
inline constexpr const char* kEditMenuItem = "Edit";
// Ctrl+Delete in the grid; OK deletes, Cancel keeps the row.
inline constexpr const char* kDeleteQuestion = "Datensatz l\u00f6schen?";

inline constexpr const char* kDialogCaption = "Edit fuel";

}  // namespace quelt::front
