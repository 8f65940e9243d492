#include "shell/recording/RecordingExport.h"

#include "platform/MessageBoxes.h"
#include "recording/MlgExport.h"
#include "recording/RecordingFiles.h"
#include "shell/recording/CountedNoun.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

#include <system_error>

namespace quillmark {

namespace {

const QString kExportTitle = QStringLiteral("Export Recording");

}  // namespace

RecordingExport::~RecordingExport() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

void RecordingExport::run() {
    if (running()) {
        return;
    }
    const QString source = platform_.chooseExportSource
                               ? platform_.chooseExportSource(recordingFolder(platform_.settings))
                               : QString();
    if (source.isEmpty()) {
        return;
    }
    const QFileInfo info(source);
    const QString suggested = info.dir().filePath(info.completeBaseName() + QStringLiteral(".mlg"));
    const ExportTarget chosen =
        platform_.chooseExportTarget ? platform_.chooseExportTarget(suggested) : ExportTarget{};
    if (chosen.path.isEmpty()) {
        return;
    }
    const QString target = chosen.path;
    const std::uint16_t version = chosen.version;
    // Hours of rows take a second or two to read; the window goes on meanwhile.
    try {
        worker_ = std::thread([this, source, target, version] {
            const MlgExportResult result = exportRecordingToMlg(source, target, version);
            // Dropped, not run, should the window have gone meanwhile.
            QMetaObject::invokeMethod(
                this, [this, result, target] { finish(result, target); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the window waits for the export instead.
        finish(exportRecordingToMlg(source, target, version), target);
        return;
    }
    emit runningChanged();
}

void RecordingExport::finish(const MlgExportResult& result, const QString& target) {
    if (worker_.joinable()) {
        worker_.join();
    }
    emit runningChanged();
    if (!result.error.isEmpty()) {
        platform_.boxes.show(QStringLiteral("The recording was not exported: %1").arg(result.error),
                             BoxStyle::OkExclamation, kExportTitle);
        return;
    }
    const QString rows = countedNoun(result.rows, QLatin1StringView("row"));
    const QString markers = countedNoun(result.markers, QLatin1StringView("marker"));
    platform_.boxes.show(QStringLiteral("Exported %1 and %2 to %3.")
                             .arg(rows, markers, QDir::toNativeSeparators(target)),
                         BoxStyle::OkInformation, kExportTitle);
}

}  // namespace quillmark
