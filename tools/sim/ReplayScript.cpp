#include "sim/ReplayScript.h"

#include "sim/ModuleEngine.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace quillmark::sim {

namespace {

constexpr int kColumns = 13;
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

// Splits a CSV line; quoted fields may hold commas and doubled quotes.
QList<QByteArray> splitLine(const QByteArray& line) {
    QList<QByteArray> fields;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.append(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.append(field);
    return fields;
}

}  // namespace

ReplayScript ReplayScript::fromText(const QByteArray& text) {
    ReplayScript script;
    const QList<QByteArray> lines = text.split('\n');
    auto fail = [&script](qsizetype line, const QString& what) {
        script.rows.clear();
        script.error = QStringLiteral("line %1: %2").arg(line).arg(what);
        return script;
    };
    const QList<QByteArray> header = splitLine(lines.value(0).trimmed());
    if (header.size() != kColumns || header.first() != "Time (s)" || header.last() != "Answers") {
        return fail(1, QStringLiteral("not a recording header"));
    }
    // The last piece is empty after the final line end, or a row torn by a crash.
    for (qsizetype n = 1; n + 1 < lines.size(); ++n) {
        const QList<QByteArray> fields = splitLine(lines[n].trimmed());
        if (fields.size() != kColumns) {
            return fail(n + 1, QStringLiteral("expected %1 columns").arg(kColumns));
        }
        bool ok = false;
        const double seconds = fields.first().toDouble(&ok);
        // The bound keeps the microseconds within range; a run is never near a billion seconds.
        if (!ok || !(seconds >= 0 && seconds <= 1e9)) {
            return fail(n + 1, QStringLiteral("bad time"));
        }
        ReplayRow row;
        row.at = std::chrono::microseconds(std::llround(seconds * 1e6));
        if (!script.rows.empty() && row.at < script.rows.back().at) {
            return fail(n + 1, QStringLiteral("bad time"));
        }
        for (const QByteArray& token : fields.last().split(' ')) {
            if (token.isEmpty()) {
                continue;
            }
            const auto parts = token.split(':');
            const QByteArray command = QByteArray::fromHex(parts.value(0));
            const QByteArray bytes = QByteArray::fromHex(parts.value(1));
            if (parts.size() != 2 || command.size() != 1 || bytes.isEmpty() ||
                bytes.toHex().compare(parts[1], Qt::CaseInsensitive) != 0) {
                return fail(n + 1, QStringLiteral("bad answer %1").arg(QString::fromLatin1(token)));
            }
            const auto code = static_cast<std::uint8_t>(command[0]);
            row.answers.emplace_back(code, bytes);
            script.commands.insert(code);
        }
        script.rows.push_back(std::move(row));
    }
    if (script.rows.empty()) {
        return fail(2, QStringLiteral("no rows"));
    }
    return script;
}

ReplayScript ReplayScript::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ReplayScript script;
        script.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return script;
    }
    if (file.size() > kMaxFileBytes) {
        ReplayScript script;
        script.error = QStringLiteral("%1 is too large").arg(path);
        return script;
    }
    return fromText(file.readAll());
}

std::size_t ReplayPlayer::nextRow(const std::vector<ReplayRow>& rows, std::size_t current,
                                  std::chrono::microseconds elapsed) {
    // A tick may come up to half a polling period early and still read the next row; a program
    // that has fallen more than a row behind the recorded pace catches up.
    constexpr std::chrono::microseconds kEarly{250'000};
    const auto origin = rows.front().at;
    std::size_t next = current + 1;
    if (next >= rows.size() || rows[next].at - origin > elapsed + kEarly) {
        return current;
    }
    while (next + 2 < rows.size() && rows[next + 2].at - origin <= elapsed) {
        ++next;
    }
    return next;
}

void ReplayPlayer::beforeAnswer(std::uint8_t command, std::chrono::microseconds sinceStart,
                                ModuleEngine& engine) {
    if (command != kTickCommand || script_.rows.empty()) {
        return;
    }
    if (!row_) {
        row_ = 0;
        startedAt_ = sinceStart;
    } else {
        const std::size_t next = nextRow(script_.rows, *row_, sinceStart - startedAt_);
        if (next == *row_ && *row_ + 1 == script_.rows.size()) {
            if (loop_) {
                row_ = 0;
                startedAt_ = sinceStart;
            } else {
                finished_ = true;
            }
        } else {
            row_ = next;
        }
    }
    apply(engine);
}

void ReplayPlayer::apply(ModuleEngine& engine) const {
    const ReplayRow& row = script_.rows[*row_];
    for (const std::uint8_t command : script_.commands) {
        const auto found = std::find_if(row.answers.begin(), row.answers.end(),
                                        [command](const auto& a) { return a.first == command; });
        if (found == row.answers.end()) {
            // The read failed in the recording; it fails here too.
            engine.setFault(command, FaultMode::Silent);
        } else {
            engine.setFault(command, FaultMode::None);
            engine.setFixedAnswer(command, found->second);
        }
    }
}

}  // namespace quillmark::sim
