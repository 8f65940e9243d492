// Keeps the recordings from filling the disk: the oldest finished recordings in the folder are
// removed, never the one being written, until the file system has the room to keep free and
// all of them fit in the most they may take.
#pragma once

#include "logger/LoggerOptions.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quillmark {

class DiskKeeper {
public:
    DiskKeeper(QString folder, DiskRoom keepFree, std::optional<qint64> maxTotal)
        : folder_(std::move(folder)), keepFree_(keepFree), maxTotal_(maxTotal) {}

    // Removes what it must; one line for each recording removed, and one when nothing is left
    // to remove while room is still short (said once until there is room again).
    QStringList makeRoom(const QString& beingWritten);
    // Bytes the recordings can still take before the oldest would go; none when the folder's
    // file system cannot be asked.
    std::optional<qint64> roomLeft() const;
    // "5% of the disk free (1.2 GB)", "no limit on their total": what is kept, for the start.
    QString describe() const;

private:
    struct Room {
        qint64 freeShort = 0;  // bytes to free for the disk's room
        qint64 totalOver = 0;  // bytes over the total the recordings may take
        qint64 left = 0;       // bytes left before either rule bites
    };
    std::optional<Room> measure() const;

    QString folder_;
    DiskRoom keepFree_;
    std::optional<qint64> maxTotal_;
    bool shortSaid_ = false;
};

}  // namespace quillmark
