// The chart indexes of the recordings in the dashboard's folder. A thread of their own, at low
// priority, indexes every recording from the start (newest first) and then, every
// kCatchUpEvery, what the recording being written gained; a view asked for brings its
// recording's index up to date first, on the asking thread, so one asked for before the
// background got to it waits for its recording alone.
#pragma once

#include "network/http/RecordingIndex.h"

#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <chrono>
#include <map>
#include <memory>
#include <optional>

class QThread;

namespace quillmark {

inline constexpr std::chrono::seconds kCatchUpEvery{5};
// The background indexes the newest recordings while their indexes together stay under this
// (about a week of days at 40 samples a second); an older one is indexed when a view asks for
// it, and kept while views ask for it.
inline constexpr std::size_t kIndexesBudget = std::size_t(64) << 20;
inline constexpr std::chrono::minutes kKeptAfterView{10};

class ChartIndexes {
public:
    explicit ChartIndexes(QString folder);
    ~ChartIndexes();
    ChartIndexes(const ChartIndexes&) = delete;
    ChartIndexes& operator=(const ChartIndexes&) = delete;

    void startIndexing();
    // The chart's JSON for the recording at `path` (a file the recordings list gives); none
    // when the file is not a recording that opens. From any thread.
    std::optional<QByteArray> chart(const QString& path, std::optional<TimeWindow> window,
                                    int width);

private:
    using Clock = std::chrono::steady_clock;
    struct Entry {
        QMutex mutex;
        std::unique_ptr<RecordingIndex> index;
        std::optional<Clock::time_point> viewed;  // last
    };
    std::shared_ptr<Entry> entry(const QString& path);
    // Takes at most `budget` bytes more; false once the index is up to date.
    static bool catchUp(Entry& entry, const QString& path, qint64 budget);
    void indexFolder();
    bool viewedLately(const QString& path);
    bool stopping() const;

    QString folder_;
    mutable QMutex mutex_;  // what follows
    std::map<QString, std::shared_ptr<Entry>> entries_;
    bool stop_ = false;
    QWaitCondition wake_;
    QThread* background_ = nullptr;
};

}  // namespace quillmark
