#include "shell/recording/RunComparison.h"

#include "analysis/RunAlignment.h"
#include "platform/MessageBoxes.h"
#include "recording/RecordingColumns.h"
#include "recording/RecordingReader.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

namespace quillmark {

std::vector<ChartOverlay> comparedRuns(const RecordingColumns& first, const QString& firstName,
                                       const ComparisonRequest& request, MessageBoxes& boxes) {
    const QString title = QString::fromLatin1(kCompareTitle);
    const RunAlignmentChoice& choice = request.alignment;
    std::vector<ChartOverlay> runs;
    if (!alignmentPoint(first, choice, std::numeric_limits<double>::infinity())) {
        boxes.show(QStringLiteral("Nothing is compared: the first run, %1, %2.")
                       .arg(firstName, missingAlignmentText(choice)),
                   BoxStyle::OkExclamation, title);
        return runs;
    }
    for (const QString& path : request.paths) {
        if (runs.size() >= kMostComparedRuns) {
            break;
        }
        RecordingColumnsContents contents = readRecordingColumns(path);
        if (!contents.ok()) {
            boxes.show(
                QStringLiteral("%1 It is left out of the comparison; the other runs are shown.")
                    .arg(recordingProblemText(path, contents.errorLine, contents.error)),
                BoxStyle::OkExclamation, title);
            continue;
        }
        const std::optional<double> offset = alignmentOffset(first, contents.columns, choice);
        if (!offset) {
            boxes.show(QStringLiteral("%1 is left out of the comparison: it %2.")
                           .arg(QDir::toNativeSeparators(path), missingAlignmentText(choice)),
                       BoxStyle::OkExclamation, title);
            continue;
        }
        runs.push_back(
            makeOverlay(std::move(contents.columns), *offset, QFileInfo(path).fileName()));
    }
    return runs;
}

}  // namespace quillmark
