// The Qt window's file dialog: what control::FileChoice asks for, in the
// folder last used.
#pragma once

#include <QString>
#include <filesystem>

#include "control/file_choice.h"

class QWidget;

namespace quelt::ui {

// The file the user picked, empty when cancelled; `name` is the dialog's
// object name. The file's folder becomes the one last used.
std::filesystem::path PickFile(QWidget* parent, const control::FileChoice& choice,
                               const QString& name);

}  // namespace quelt::ui
