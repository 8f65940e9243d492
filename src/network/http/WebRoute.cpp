#include "network/http/WebRoute.h"

#include "network/http/RecordingList.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace quillmark {

namespace {

// A decoded segment; none when it decodes to bytes that are not UTF-8 text.
std::optional<QString> decoded(QByteArrayView segment) {
    const QByteArray bytes = QByteArray::fromPercentEncoding(segment.toByteArray());
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes) {
        return std::nullopt;
    }
    return text;
}

bool isAssetName(QStringView name) {
    if (name.isEmpty() || name.size() > 64) {
        return false;
    }
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'-' && c != u'.') {
            return false;
        }
    }
    return !name.startsWith(u'.');
}

}  // namespace

WebRoute parseRoute(QByteArrayView encodedPath) {
    if (encodedPath.isEmpty() || encodedPath.front() != '/' || encodedPath.size() > 4096) {
        return {};
    }
    const QList<QByteArray> parts = encodedPath.sliced(1).toByteArray().split('/');
    if (parts.size() == 1) {
        if (parts[0].isEmpty() || parts[0] == "index.html") {
            return {WebResource::Page, {}};
        }
        const std::optional<QString> name = decoded(parts[0]);
        return name && isAssetName(*name) ? WebRoute{WebResource::Asset, *name} : WebRoute{};
    }
    if (parts[0] != "api") {
        return {};
    }
    if (parts.size() == 2) {
        if (parts[1] == "status") {
            return {WebResource::Status, {}};
        }
        if (parts[1] == "live") {
            return {WebResource::Live, {}};
        }
        if (parts[1] == "recordings") {
            return {WebResource::Recordings, {}};
        }
        if (parts[1] == "marker") {
            return {WebResource::Marker, {}};
        }
        return {};
    }
    if (parts[1] != "recordings" || parts.size() > 4 || (parts.size() == 4 && parts[3] != "chart")) {
        return {};
    }
    const std::optional<QString> name = decoded(parts[2]);
    if (!name || !isRecordingName(*name)) {
        return {};
    }
    return {parts.size() == 4 ? WebResource::RecordingChart : WebResource::Recording, *name};
}

}  // namespace quillmark
