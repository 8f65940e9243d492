// The runs a user picked to lay over the recording played back, read and lined up with it; a
// run that cannot be read or lined up is left out with a box saying why.
#pragma once

#include "analysis/ChartOverlay.h"
#include "shell/recording/CompareDialog.h"

#include <vector>

namespace quillmark {

class MessageBoxes;
class RecordingColumns;

// None when the first run itself lacks the moment to line up at (a box says so).
std::vector<ChartOverlay> comparedRuns(const RecordingColumns& first, const QString& firstName,
                                       const ComparisonRequest& request, MessageBoxes& boxes);

}  // namespace quillmark
