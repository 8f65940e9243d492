#include "network/http/ChartIndexes.h"

#include "network/http/RecordingList.h"
#include "platform/BackgroundThread.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <limits>
#include <set>

namespace quillmark {

namespace {

// The background lets go of an index after this many bytes, so that a view asked for of the
// same recording waits no longer than that for it (a few milliseconds of a core, which this
// low-priority thread may take longer to get while other work has the cores); the view then
// indexes the rest itself.
constexpr qint64 kBackgroundChunk = qint64(1) << 20;
constexpr qint64 kWhole = std::numeric_limits<qint64>::max();

}  // namespace

ChartIndexes::ChartIndexes(QString folder) : folder_(std::move(folder)) {}

ChartIndexes::~ChartIndexes() {
    if (background_ == nullptr) {
        return;
    }
    {
        const QMutexLocker lock(&mutex_);
        stop_ = true;
        wake_.wakeAll();
    }
    background_->wait();
    delete background_;
}

void ChartIndexes::startIndexing() {
    background_ = QThread::create([this] {
        runInBackground();
        while (!stopping()) {
            indexFolder();
            const QMutexLocker lock(&mutex_);
            if (!stop_) {
                wake_.wait(&mutex_, QDeadlineTimer(kCatchUpEvery));
            }
        }
    });
    background_->setObjectName(QStringLiteral("chart indexes"));
    background_->start();
}

bool ChartIndexes::stopping() const {
    const QMutexLocker lock(&mutex_);
    return stop_;
}

std::shared_ptr<ChartIndexes::Entry> ChartIndexes::entry(const QString& path) {
    const QMutexLocker lock(&mutex_);
    std::shared_ptr<Entry>& found = entries_[path];
    if (!found) {
        found = std::make_shared<Entry>();
        found->index = std::make_unique<RecordingIndex>(path);
    }
    return found;
}

bool ChartIndexes::catchUp(Entry& entry, const QString& path, qint64 budget) {
    const QMutexLocker lock(&entry.mutex);
    switch (entry.index->catchUp(budget)) {
        case RecordingIndex::Progress::UpToDate:
            return false;
        case RecordingIndex::Progress::Replaced:
            entry.index = std::make_unique<RecordingIndex>(path);
            return true;
        case RecordingIndex::Progress::More:
            return true;
    }
    return false;
}

void ChartIndexes::indexFolder() {
    const QFileInfoList files = QDir(folder_).entryInfoList(
        {QStringLiteral("*.csv")}, QDir::Files | QDir::NoSymLinks, QDir::Name | QDir::Reversed);
    std::set<QString> kept;
    std::size_t held = 0;
    for (const QFileInfo& info : files) {
        if (!isRecordingName(info.fileName())) {
            continue;
        }
        const QString path = info.filePath();
        if (held >= kIndexesBudget && !viewedLately(path)) {
            continue;  // its index, if it had one, goes below
        }
        kept.insert(path);
        const std::shared_ptr<Entry> indexed = entry(path);
        while (catchUp(*indexed, path, kBackgroundChunk)) {
            if (stopping()) {
                return;
            }
        }
        const QMutexLocker lock(&indexed->mutex);
        held += indexed->index->bytesHeld();
    }
    // Recordings removed for room take their indexes with them, and so do the oldest beyond
    // the budget.
    const QMutexLocker lock(&mutex_);
    std::erase_if(entries_, [&kept](const auto& entry) { return kept.count(entry.first) == 0; });
}

bool ChartIndexes::viewedLately(const QString& path) {
    std::shared_ptr<Entry> found;
    {
        const QMutexLocker lock(&mutex_);
        const auto at = entries_.find(path);
        if (at == entries_.end()) {
            return false;
        }
        found = at->second;
    }
    const QMutexLocker lock(&found->mutex);
    return found->viewed && Clock::now() - *found->viewed < kKeptAfterView;
}

std::optional<QByteArray> ChartIndexes::chart(const QString& path, std::optional<TimeWindow> window,
                                              int width) {
    const std::shared_ptr<Entry> indexed = entry(path);
    // A file rewritten between catching up and reading its rows is indexed once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        while (catchUp(*indexed, path, kWhole)) {
        }
        const QMutexLocker lock(&indexed->mutex);
        indexed->viewed = Clock::now();
        if (!indexed->index->error().isEmpty() || indexed->index->rows() == 0) {
            return std::nullopt;
        }
        if (const std::optional<ChartView> view = indexed->index->view(window, width)) {
            return chartJson(*view);
        }
        indexed->index = std::make_unique<RecordingIndex>(path);
    }
    return std::nullopt;
}

}  // namespace quillmark
