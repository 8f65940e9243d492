// The common error dialog: the error's description, title "Error", Abort / Retry / Ignore.
#pragma once

#include "platform/ErrorRecord.h"
#include "platform/MessageBoxes.h"

namespace quillmark {

// Returns the answer: Abort, Retry or Ignore.
BoxAnswer ErrorDialog(MessageBoxes& boxes, const ErrorRecord& error);

}  // namespace quillmark
