#include "trap/ErrorDialog.h"

namespace quillmark {

int ErrorDialog(MessageBoxes& boxes, const ErrorRecord& error) {
    return boxes.show(error.description, msg_style::kAbortRetryIgnoreCritical,
                      QStringLiteral("Error"));
}

}  // namespace quillmark
