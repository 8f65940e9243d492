#include "network/http/RecordingList.h"

#include "recording/RecordingFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace quillmark {

namespace {

constexpr qint64 kCountChunk = 1 << 20;

QString fileIn(const QString& folder, const QString& name) {
    return QDir(folder).filePath(name);
}

}  // namespace

bool isRecordingName(QStringView name) {
    if (!name.endsWith(u".csv") || name.size() <= 4 || name.startsWith(u'.') ||
        name.toUtf8().size() > kMaxFileNameBytes) {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F;
    });
}

std::vector<RecordingEntry> RecordingList::entries() {
    const QDir dir(folder_);
    const QFileInfoList files = dir.entryInfoList(
        {QStringLiteral("*.csv")}, QDir::Files | QDir::NoSymLinks, QDir::Name | QDir::Reversed);
    std::vector<RecordingEntry> result;
    QHash<QString, Counted> kept;
    for (const QFileInfo& info : files) {
        const QString name = info.fileName();
        if (!isRecordingName(name)) {
            continue;
        }
        Counted counted = counted_.value(name);
        // A file that shrank or was replaced is counted again from its start.
        if (info.size() < counted.scanned || info.lastModified() < counted.modified) {
            counted = Counted{};
        }
        counted.entry.name = name;
        counted.entry.size = info.size();
        counted.modified = info.lastModified();
        if (counted.scanned < info.size()) {
            count(counted, info.filePath());
        }
        result.push_back(counted.entry);
        kept.insert(name, counted);
    }
    counted_ = std::move(kept);
    return result;
}

void RecordingList::count(Counted& counted, const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(counted.scanned)) {
        return;
    }
    QByteArray chunk;
    while (!(chunk = file.read(kCountChunk)).isEmpty()) {
        qsizetype i = 0;
        for (; i < chunk.size() && !(counted.headerDone && counted.entry.rows > 0); ++i) {
            const char c = chunk[i];
            if (!counted.headerDone) {
                if (c == '\n') {
                    counted.headerDone = true;
                    // The Marker column is the last; a row's marker cell is empty when its
                    // line ends with the separator.
                    counted.hasMarkerColumn = counted.firstRow.trimmed().endsWith(",Marker");
                    counted.firstRow.clear();
                } else if (counted.firstRow.size() < kMaxRecordingLine) {
                    counted.firstRow += c;
                }
            } else if (c == '\n') {
                ++counted.entry.rows;
                if (counted.hasMarkerColumn && counted.lastByte != ',') {
                    ++counted.entry.markers;
                }
                if (counted.entry.rows == 1) {
                    const QList<QByteArray> cells = counted.firstRow.split(',');
                    counted.entry.start =
                        cells.size() > 1 ? QString::fromUtf8(cells[1]) : QString();
                    counted.firstRow.clear();
                }
            } else if (counted.entry.rows == 0 && counted.firstRow.size() < kMaxRecordingLine) {
                counted.firstRow += c;
            }
            counted.lastByte = c;
        }
        // Past the first row only the line ends count, and the byte before each: found a
        // block at a time, a day's file is counted in a fraction of a second.
        const char* const begin = chunk.constData();
        const char* const end = begin + chunk.size();
        for (const char* at = begin + i; at < end;) {
            const auto* newline = static_cast<const char*>(std::memchr(at, '\n', end - at));
            if (newline == nullptr) {
                break;
            }
            const char before = newline > begin ? newline[-1] : counted.lastByte;
            ++counted.entry.rows;
            if (counted.hasMarkerColumn && before != ',') {
                ++counted.entry.markers;
            }
            at = newline + 1;
        }
        counted.lastByte = chunk.back();
        counted.scanned += chunk.size();
    }
    // A row still being written is counted when its line end arrives: the state above carries
    // over to the next call.
}

QString RecordingList::pathOf(const QString& name) const {
    if (!isRecordingName(name)) {
        return {};
    }
    const QFileInfo info(fileIn(folder_, name));
    if (!info.exists() || !info.isFile() || info.isSymLink()) {
        return {};
    }
    // The file must sit in the folder itself, whatever links lead to the folder.
    const QString folder = QFileInfo(folder_).canonicalFilePath();
    if (folder.isEmpty() || QFileInfo(info.canonicalFilePath()).absolutePath() != folder) {
        return {};
    }
    return info.filePath();
}

}  // namespace quillmark
