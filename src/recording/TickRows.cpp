#include "recording/TickRows.h"

#include "platform/Clock.h"
#include "engine/StatusText.h"

#include <QDateTime>

namespace quillmark {

QString statusOnOneLine(int statusRaw) {
    return statusText(static_cast<std::int16_t>(statusRaw))
        .replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
}

QString clockText(const QDateTime& localTime) {
    return localTime.toOffsetFromUtc(localTime.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

void TickRows::tickStarted() {
    row_ = RecordingRow{};
    open_ = true;
}

// Only reads that completed arrive here. A value read that timed out and was ignored, was
// abandoned with Abort, or is not made for the model never sets its value, so its cell stays
// empty in the row: an empty cell means "no reading", never 0.
void TickRows::answered(const ReadCommand& read, const QByteArray& answer, float value) {
    if (!open_) {
        return;
    }
    row_.answers.push_back({read.command, answer});
    if (read.quantity == Quantity::Status) {
        row_.seconds = std::chrono::duration<double>(clock_.now()).count();
        row_.clock = clockText(QDateTime::currentDateTime());
        row_.statusRaw = static_cast<int>(value);
        row_.status = statusOnOneLine(*row_.statusRaw);
    } else {
        row_.setValue(read.quantity, value);
    }
}

void TickRows::tickEnded() {
    // A tick whose status read failed has nothing to show and takes the lost-link path.
    if (open_ && row_.statusRaw) {
        for (const auto& listener : listeners_) {
            listener(row_);
        }
    }
    open_ = false;
}

}  // namespace quillmark
