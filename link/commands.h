// The analyser's command set: everything the tool sends, in one place. Each
// command goes out as its text followed by a carriage return; the analyser
// answers with one line closed by a carriage return.
#pragma once

namespace quelt::cmd {

inline constexpr const char* kWakeUp = "";  // any reply will do
inline constexpr const char* kIdentification = "R001";
inline constexpr const char* kVersion = "R002";
inline constexpr const char* kSerialNumber = "R004";
inline constexpr const char* kType = "R005";        // first integer: type code
inline constexpr const char* kReadRow = "R401";     // + row index "01".."99","100"..
inline constexpr const char* kRowCount = "R402";    // field 1: number of rows
inline constexpr const char* kWriteRow = "W401";    // + row text, position first
inline constexpr const char* kWriteCount = "W402";  // + rows to use + kWriteCountTail
inline constexpr const char* kWriteCountTail = ";X;X;";

inline constexpr char kCR = 13;

}  // namespace quelt::cmd
