// Message boxes shown with Qt's QMessageBox, decoding the classic style codes.
#pragma once

#include "platform/MessageBoxes.h"

namespace quillmark {

class QtMessageBoxes final : public MessageBoxes {
public:
    // Parented to the active window; runs its own event loop until a button is chosen.
    BoxAnswer show(const QString& text, BoxStyle style, const QString& title) override;
};

}  // namespace quillmark
