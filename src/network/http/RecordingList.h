// The recordings the dashboard lists and hands out. A file is reached only by a name this list
// gave: a plain recording file in the folder itself, never a path, a hidden file, a symbolic
// link or a name longer than a file name may be.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringView>

#include <vector>

namespace quillmark {

// The longest file name the file systems we write to take, in bytes.
inline constexpr qsizetype kMaxFileNameBytes = 255;

struct RecordingEntry {
    QString name;   // as the file is named
    QString start;  // the first row's Clock text; empty for a file without rows
    long rows = 0;
    qint64 size = 0;
    int markers = 0;
};

// A name a client may ask for: what a recording file in the folder could be called.
bool isRecordingName(QStringView name);

class RecordingList {
public:
    explicit RecordingList(QString folder) : folder_(std::move(folder)) {}

    // The recordings, newest name first. Rows and markers are counted once a file and only in
    // what it gained since, so a file growing under the logger costs only its new rows.
    std::vector<RecordingEntry> entries();
    // The file that `name` lists; empty for any name the list does not give.
    QString pathOf(const QString& name) const;

private:
    struct Counted {
        RecordingEntry entry;
        QDateTime modified;
        qint64 scanned = 0;      // bytes counted
        bool atLineStart = true;  // the counted bytes end with a line end
        bool headerDone = false;
        bool hasMarkerColumn = false;
        char lastByte = '\n';
        QByteArray firstRow;  // until its line end was seen
    };
    void count(Counted& counted, const QString& path) const;

    QString folder_;
    QHash<QString, Counted> counted_;
};

}  // namespace quillmark
