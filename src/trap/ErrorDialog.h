// The common error dialog: the error's description, title "Error", Abort / Retry / Ignore.
#pragma once

#include "platform/ErrorRecord.h"
#include "platform/MessageBoxes.h"

namespace quillmark {

// Returns the answer: msg_answer::kAbort, kRetry or kIgnore.
int ErrorDialog(MessageBoxes& boxes, const ErrorRecord& error);

}  // namespace quillmark
