#include "logger/DiskKeeper.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <limits>

namespace quillmark {

namespace {

const QString kRecordingPattern = QStringLiteral("quillmark_*.csv");

// The folder may not be made yet: its file system is the one of its nearest existing parent.
QStorageInfo storageOf(const QString& folder) {
    QFileInfo at(folder);
    while (!at.exists() && !at.isRoot() && at.absoluteFilePath() != at.absolutePath()) {
        at = QFileInfo(at.absolutePath());
    }
    return QStorageInfo(at.absoluteFilePath());
}

QFileInfoList recordingsOldestFirst(const QString& folder) {
    return QDir(folder).entryInfoList({kRecordingPattern}, QDir::Files,
                                      QDir::Time | QDir::Reversed);
}

qint64 totalOf(const QFileInfoList& files) {
    qint64 total = 0;
    for (const QFileInfo& file : files) {
        total += file.size();
    }
    return total;
}

}  // namespace

std::optional<DiskKeeper::Room> DiskKeeper::measure() const {
    QStorageInfo storage = storageOf(folder_);
    if (!storage.isValid() || !storage.isReady()) {
        return std::nullopt;
    }
    storage.refresh();
    const qint64 free = storage.bytesAvailable();
    const qint64 keep = keepFree_.of(storage.bytesTotal());
    Room room;
    room.freeShort = std::max<qint64>(0, keep - free);
    room.left = std::max<qint64>(0, free - keep);
    if (maxTotal_) {
        const qint64 total = totalOf(recordingsOldestFirst(folder_));
        room.totalOver = std::max<qint64>(0, total - *maxTotal_);
        room.left = std::min(room.left, std::max<qint64>(0, *maxTotal_ - total));
    }
    return room;
}

QStringList DiskKeeper::makeRoom(const QString& beingWritten) {
    QStringList lines;
    std::optional<Room> room = measure();
    if (!room || (room->freeShort == 0 && room->totalOver == 0)) {
        shortSaid_ = false;
        return lines;
    }
    const QString current =
        beingWritten.isEmpty() ? QString() : QFileInfo(beingWritten).absoluteFilePath();
    qint64 toFree = std::max(room->freeShort, room->totalOver);
    for (const QFileInfo& file : recordingsOldestFirst(folder_)) {
        if (toFree <= 0) {
            break;
        }
        if (file.absoluteFilePath() == current) {
            continue;
        }
        const qint64 size = file.size();
        if (!QFile::remove(file.absoluteFilePath())) {
            continue;
        }
        toFree -= size;
        lines << QStringLiteral("Removed the oldest recording %1 (%2) to make room.")
                     .arg(file.absoluteFilePath(), sizeText(size));
    }
    if (toFree > 0 && !shortSaid_) {
        lines << QStringLiteral(
                     "The disk is short of the room to keep (%1), and no finished "
                     "recording is left to remove.")
                     .arg(describe());
        shortSaid_ = true;
    } else if (toFree <= 0) {
        shortSaid_ = false;
    }
    return lines;
}

std::optional<qint64> DiskKeeper::roomLeft() const {
    const std::optional<Room> room = measure();
    return room ? std::optional<qint64>(room->left) : std::nullopt;
}

QString DiskKeeper::describe() const {
    const QStorageInfo storage = storageOf(folder_);
    QString kept = keepFree_.bytes
                       ? QStringLiteral("%1 of the disk free").arg(sizeText(*keepFree_.bytes))
                       : QStringLiteral("%1% of the disk free (%2)")
                             .arg(keepFree_.percent)
                             .arg(sizeText(keepFree_.of(storage.bytesTotal())));
    if (maxTotal_) {
        kept += QStringLiteral(", all recordings within %1").arg(sizeText(*maxTotal_));
    }
    return kept;
}

}  // namespace quillmark
