#include "trap/ErrorDialog.h"

namespace quillmark {

BoxAnswer ErrorDialog(MessageBoxes& boxes, const ErrorRecord& error) {
    return boxes.show(error.description, BoxStyle::AbortRetryIgnoreCritical,
                      QStringLiteral("Error"));
}

}  // namespace quillmark
