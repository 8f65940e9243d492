#include "recording/RecordingFiles.h"

#include "platform/SettingsStore.h"
#include "engine/ModelTraits.h"
#include "recording/RecordingRow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>
#include <optional>

namespace quillmark {

namespace {

constexpr int kMaxSameSecondFiles = 100;

}  // namespace

QString recordingFileName(const QString& modelName, const QDateTime& localTime) {
    QString model = modelName.trimmed().isEmpty() ? QStringLiteral("unknown") : modelName.trimmed();
    // Characters no file system takes go the same way as blanks.
    for (QChar& c : model) {
        if (c.isSpace() || QStringLiteral("/\\:*?\"<>|").contains(c)) {
            c = QLatin1Char('_');
        }
    }
    return QStringLiteral("quillmark_%1_%2.csv")
        .arg(model, localTime.toString(QStringLiteral("yyyyMMdd_HHmmss")));
}

QString modelFromRecordingName(const QString& fileName) {
    static const QRegularExpression name(
        QStringLiteral("^quillmark_(.+)_\\d{8}_\\d{6}(?:_\\d+)?\\.csv$"));
    const QRegularExpressionMatch match = name.match(fileName);
    return match.hasMatch() ? match.captured(1).replace(QLatin1Char('_'), QLatin1Char(' '))
                            : QString();
}

void RecordedModelClues::takeSpeed(std::optional<float> rpm, QByteArrayView speedAnswer) {
    if (!rpmPerCount_ && speedAnswer.size() >= 2 && std::uint8_t(speedAnswer[1]) != 0 && rpm) {
        rpmPerCount_ = double(*rpm) / std::uint8_t(speedAnswer[1]);
    }
}

QString RecordedModelClues::model(const QString& fileName) const {
    const ModelTraits* found = nullptr;
    for (const ModelTraits& traits : kModelTraits) {
        if (!rpmPerCount_ || std::abs(*rpmPerCount_ - traits.rpmPerCount) > 1e-3) {
            continue;
        }
        // A model that reads the retard may have lost every retard read; one that does not
        // never answers it.
        if (found == nullptr || traits.readsRetard == retardAnswered_) {
            found = &traits;
        }
        if (traits.readsRetard == retardAnswered_) {
            break;
        }
    }
    return found != nullptr ? QString::fromLatin1(found->name)
                            : modelFromRecordingName(QFileInfo(fileName).fileName());
}

QString recordedModel(const std::vector<RecordingRow>& rows, const QString& fileName) {
    const std::uint8_t speedCommand = readCommand(Quantity::EngineSpeed).command;
    const std::uint8_t retardCommand = readCommand(Quantity::Retard).command;
    RecordedModelClues clues;
    for (const RecordingRow& row : rows) {
        clues.takeSpeed(row.value(Quantity::EngineSpeed), row.answerTo(speedCommand));
        clues.takeRetard(!row.answerTo(retardCommand).isEmpty());
    }
    return clues.model(fileName);
}

QString expandRecordingFolder(const QString& folder) {
    QString home = QDir::homePath();
    QString path = folder.trimmed();
    if (path == QStringLiteral("~")) {
        return home;
    }
    if (path.startsWith(QStringLiteral("~/"))) {
        path = path.mid(2);
    }
    return QDir::cleanPath(QDir(home).absoluteFilePath(path));
}

QString recordingFolder(const SettingsStore& settings) {
    const QString fallback =
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .filePath(QStringLiteral("Quillmark"));
    const QString stored =
        settings.get(QStringLiteral("Quillmark"), QString::fromLatin1(kRecordingSection),
                     QString::fromLatin1(kRecordingFolderKey), QString());
    return stored.trimmed().isEmpty() ? fallback : expandRecordingFolder(stored);
}

NewRecordingFile createRecordingFile(const QString& folder, const QString& fileName) {
    NewRecordingFile result;
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        result.path = dir.filePath(fileName);
        result.error = QStringLiteral("the folder %1 cannot be created").arg(folder);
        return result;
    }
    const QFileInfo name(fileName);
    for (int n = 1; n <= kMaxSameSecondFiles; ++n) {
        result.path = dir.filePath(n == 1 ? fileName
                                          : QStringLiteral("%1_%2.%3")
                                                .arg(name.completeBaseName())
                                                .arg(n)
                                                .arg(name.suffix()));
        auto file = std::make_unique<QFile>(result.path);
        // NewOnly never opens a file that is there already, even one made a moment ago.
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            result.file = std::move(file);
            result.error.clear();
            return result;
        }
        result.error = file->errorString();
        if (!QFileInfo::exists(result.path)) {
            return result;
        }
    }
    return result;
}

}  // namespace quillmark
