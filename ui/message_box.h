// The controller's messages as Qt message boxes: the kind's picture, the
// buttons and the default and escape buttons it names, the text as plain text.
#pragma once

#include <QPixmap>

#include "control/messages.h"

class QWidget;

namespace quelt::ui {

// `picture` replaces the kind's icon when set (the About box's logo).
control::Answer AskBox(QWidget* parent, const control::Message& message,
                       const QPixmap& picture = QPixmap());

}  // namespace quelt::ui
