// The file dialog: the file control::FileChoice asks for, owned by `owner`;
// empty when the user cancels.
#pragma once

#include <windows.h>

#include <filesystem>

#include "control/file_choice.h"

namespace quelt::win {

std::filesystem::path PickFile(HWND owner, const control::FileChoice& choice);

}  // namespace quelt::win
