#include "shell/recording/PanelRecording.h"

#include "analysis/ChartMapping.h"
#include "link/SharedState.h"
#include "platform/MessageBoxes.h"
#include "platform/Twips.h"
#include "recording/RecordingFiles.h"
#include "recording/RecordingFormat.h"
#include "shell/main/MainWindowWidget.h"
#include "shell/recording/CountedNoun.h"
#include "shell/recording/MarkerTextBox.h"
#include "widgets/gauges/RealTimePanelWidget.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace quillmark {

namespace {

const QString kRecordingTitle = QStringLiteral("Recording");

// Under the Close button, in the free space above the lower row of gauges; in twips. Tall
// enough for the time and a file name over four lines.
constexpr int kLineLeft = 5760;
constexpr int kLineTop = 2880;
constexpr int kLineWidth = 2100;
constexpr int kLineHeight = 1440;
constexpr int kNameLines = 4;
// A box that must wait for the link to be free looks again this often.
constexpr int kIdleCheckMs = 50;
// The rows wait in memory while the marker box is open, where a crash would lose them; after
// this long the box keeps what was typed and closes.
constexpr int kMarkerBoxMs = 30'000;

// The file name over as many lines as it takes, broken after its underscores, so that model and
// date stay readable; only a name that needs more than `lines` lines loses its middle.
QString wrappedName(const QString& name, const QFontMetrics& metrics, int width, int lines) {
    QStringList pieces;
    QString current;
    qsizetype from = 0;
    while (from < name.size()) {
        qsizetype to = name.indexOf(QLatin1Char('_'), from);
        to = to < 0 ? name.size() : to + 1;
        const QString token = name.mid(from, to - from);
        if (!current.isEmpty() && metrics.horizontalAdvance(current + token) > width) {
            pieces << current;
            current.clear();
        }
        current += token;
        from = to;
    }
    pieces << current;
    if (pieces.size() > lines) {
        return metrics.elidedText(name, Qt::ElideMiddle, width);
    }
    for (QString& piece : pieces) {
        piece = metrics.elidedText(piece, Qt::ElideMiddle, width);
    }
    return pieces.join(QLatin1Char('\n'));
}

}  // namespace

PanelRecording::PanelRecording(MainWindowWidget& window, const SharedState& state,
                               const RecordingPlatform& platform, std::function<bool()> linkBusy)
    : window_(window),
      state_(state),
      platform_(platform),
      linkBusy_(std::move(linkBusy)),
      panel_(window.realTimePanel()),
      recorder_(platform.clock, [this](const QString& path, const QString& reason) {
          onWriteFailure(path, reason);
      }) {
    recordingLine_ = new QLabel(panel_);
    recordingLine_->setObjectName(QStringLiteral("lblRecording"));
    recordingLine_->setStyleSheet(QStringLiteral("color: rgb(255, 48, 48); background: black;"));
    recordingLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    recordingLine_->hide();
    recordingClock_ = new QTimer(this);
    recordingClock_->setInterval(1000);
    connect(recordingClock_, &QTimer::timeout, this, [this] {
        // A failed write is found here too when no rows come (the link went quiet).
        recorder_.checkForFailure();
        showRecordingLine();
    });
}

PanelRecording::~PanelRecording() {
    recorder_.stop();
}

QString PanelRecording::folder() const {
    return recordingFolder(platform_.settings);
}

void PanelRecording::start() {
    if (recording()) {
        return;
    }
    const QString name = recordingFileName(state_.modelName, QDateTime::currentDateTime());
    NewRecordingFile file = createRecordingFile(folder(), name);
    QString problem = file.error;
    if (file.file) {
        problem = recorder_.start(std::move(file.file), file.path);
    }
    if (!problem.isEmpty()) {
        // Leave no empty file behind for someone to find later.
        if (!file.path.isEmpty() && QFileInfo(file.path).size() == 0) {
            QFile::remove(file.path);
        }
        platform_.boxes.show(QStringLiteral("Cannot start the recording: %1 could not be "
                                            "created (%2).")
                                 .arg(QDir::toNativeSeparators(file.path), problem),
                             BoxStyle::OkExclamation, kRecordingTitle);
        return;
    }
    recordingClock_->start();
    showRecordingLine();
    emit recordingChanged();
}

void PanelRecording::stop(bool tellUser) {
    if (!recording()) {
        return;
    }
    finishMarkerBox();
    lastPath_ = recorder_.path();
    recorder_.stop();
    // Counted after the stop, which writes the rows held for a marker's text and waits for the
    // disk to take every queued row.
    lastRows_ = recorder_.rowsWritten();
    lastDropped_ = recorder_.rowsDropped();
    if (lastRows_ == 0) {
        // A header alone is no recording; it would only turn up later as an empty log.
        QFile::remove(lastPath_);
    }
    recordingClock_->stop();
    showRecordingLine();
    emit recordingChanged();
    if (tellUser) {
        tellSaved(lastPath_, lastRows_, lastDropped_);
    }
}

void PanelRecording::endWithPanel() {
    if (!recording()) {
        return;
    }
    stop(false);
    QTimer::singleShot(0, this, [this, path = lastPath_, rows = lastRows_, dropped = lastDropped_] {
        tellSaved(path, rows, dropped);
    });
}

std::vector<RecordingMarker> PanelRecording::addRow(const RecordingRow& row) {
    return recorder_.addRow(row);
}

void PanelRecording::tellSaved(const QString& path, long rows, long dropped) {
    if (rows == 0) {
        platform_.boxes.show(QStringLiteral("Nothing was recorded: the recording ended before the "
                                            "first update of the panel."),
                             BoxStyle::OkInformation, kRecordingTitle);
        return;
    }
    QString text = QStringLiteral(
                       "Recording saved: %1 in %2.\r\nRecordings go to the "
                       "folder %3.")
                       .arg(countedNoun(rows, QLatin1StringView("row")),
                            QDir::toNativeSeparators(path), QDir::toNativeSeparators(folder()));
    if (dropped > 0) {
        const bool one = dropped == 1;
        text +=
            QStringLiteral("\r\n%1 %2 missing from the file: the disk did not take %3 in time.")
                .arg(countedNoun(dropped, QLatin1StringView("row")),
                     QLatin1StringView(one ? "is" : "are"), QLatin1StringView(one ? "it" : "them"));
    }
    platform_.boxes.show(text, dropped > 0 ? BoxStyle::OkExclamation : BoxStyle::OkInformation,
                         kRecordingTitle);
}

void PanelRecording::addMarkerAskingText() {
    if (!recording()) {
        return;
    }
    // A second F9 while the box is open keeps the first marker's text as typed.
    finishMarkerBox();
    const int number = recorder_.openMarker();
    auto* box = new MarkerTextBox(number, &window_);
    markerBox_ = box;
    connect(box, &MarkerTextBox::finished, this,
            [this](int marker, const QString& text) { recorder_.finishMarker(marker, text); });
    QTimer::singleShot(kMarkerBoxMs, box, &QDialog::accept);
    // Not modal: the polling ticks and the recording go on while the user types.
    box->show();
    box->raise();
    box->activateWindow();
}

void PanelRecording::finishMarkerBox() {
    if (markerBox_ != nullptr) {
        markerBox_->accept();
    }
}

void PanelRecording::onWriteFailure(const QString& path, const QString& reason) {
    finishMarkerBox();
    recordingClock_->stop();
    showRecordingLine();
    emit recordingChanged();
    // The failure is found inside a polling tick; a box there would hold the link and stop the
    // polling until it is answered, although it says the panel goes on.
    showWhenLinkIdle([this, path, reason] {
        platform_.boxes.show(QStringLiteral("Recording stopped: %1 could not be written (%2). "
                                            "The rows before this point are kept; the real-time "
                                            "panel goes on.")
                                 .arg(QDir::toNativeSeparators(path), reason),
                             BoxStyle::OkExclamation, kRecordingTitle);
    });
}

void PanelRecording::showWhenLinkIdle(std::function<void()> show) {
    QTimer::singleShot(0, this, [this, show = std::move(show)]() mutable {
        if (linkBusy_ && linkBusy_()) {
            QTimer::singleShot(kIdleCheckMs, this, [this, show = std::move(show)]() mutable {
                showWhenLinkIdle(std::move(show));
            });
            return;
        }
        show();
    });
}

void PanelRecording::showRecordingLine() {
    if (!recording()) {
        recordingLine_->hide();
        return;
    }
    const double dpi = panel_->logicalDpiY();
    recordingLine_->setGeometry(twipsRect(kLineLeft, kLineTop, kLineWidth, kLineHeight, dpi));
    const QString name =
        wrappedName(QFileInfo(recorder_.path()).fileName(), recordingLine_->fontMetrics(),
                    recordingLine_->width(), kNameLines);
    const double seconds = std::chrono::duration<double>(recorder_.elapsed()).count();
    recordingLine_->setText(QStringLiteral("REC %1\n%2").arg(elapsedClockText(seconds), name));
    recordingLine_->setToolTip(QDir::toNativeSeparators(recorder_.path()));
    recordingLine_->show();
    recordingLine_->raise();
}

}  // namespace quillmark
