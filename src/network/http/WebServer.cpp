#include "network/http/WebServer.h"

#include "network/http/AccessToken.h"
#include "network/http/WebRoute.h"
#include "network/http/WebScales.h"
#include "recording/MlgExport.h"
#include "recording/RecordingFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QPointer>
#include <QSslServer>
#include <QStorageInfo>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>

#include <array>
#include <cmath>
#include <memory>
#include <string_view>
#include <vector>

namespace quillmark {

namespace {

using Status = QHttpServerResponder::StatusCode;
using Header = std::pair<QByteArray, QByteArray>;

struct Asset {
    std::string_view name;
    const char* resource;
    const char* type;
};

constexpr std::array kAssets{
    Asset{"app.js", ":/web/app.js", "text/javascript; charset=utf-8"},
    Asset{"gauges.js", ":/web/gauges.js", "text/javascript; charset=utf-8"},
    Asset{"chart.js", ":/web/chart.js", "text/javascript; charset=utf-8"},
    Asset{"style.css", ":/web/style.css", "text/css; charset=utf-8"},
    Asset{"scales.js", nullptr, "text/javascript; charset=utf-8"},  // made from the tables
};
constexpr const char* kPageResource = ":/web/index.html";

constexpr const char* kJson = "application/json";
constexpr int kDefaultChartWidth = 800;
constexpr const char* kText = "text/plain; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";

// Said to a browser without the token: how to get the link, and nothing about the logger.
constexpr const char* kNeedsLink =
    "<!doctype html><meta charset=utf-8><meta name=viewport content=\"width=device-width\">"
    "<title>Quillmark</title><p>This page needs its link with the access token.</p>"
    "<p>quillmark-logger prints the link, and a QR code on a terminal, when it starts: see its "
    "output, or <code>journalctl -u quillmark-logger</code> where it runs as a service. The "
    "token is also in the logger's token file (<code>http-token</code> in its state folder).</p>";

// The blocks of this many lines go out before the server looks at its other clients again.
constexpr int kMlgLinesPerTurn = 2048;
constexpr qint64 kStreamBacklog = qint64(256) * 1024;
constexpr qint64 kStreamChunk = qint64(64) * 1024;

// Every answer: nothing cached, nothing sniffed, nothing framed, nothing fetched from elsewhere.
void writeHead(QHttpServerResponder& responder, Status status, const QByteArray& type,
               const std::vector<Header>& extra = {}) {
    responder.writeStatusLine(status);
    responder.writeHeader("Content-Type", type);
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Content-Security-Policy",
                          "default-src 'self'; connect-src 'self'; img-src 'self' data:; "
                          "frame-ancestors 'none'; base-uri 'none'; form-action 'self'");
    for (const auto& [name, value] : extra) {
        responder.writeHeader(name, value);
    }
}

void reply(QHttpServerResponder& responder, Status status, const QByteArray& type,
           const QByteArray& body, std::vector<Header> extra = {}) {
    extra.emplace_back("Content-Length", QByteArray::number(body.size()));
    writeHead(responder, status, type, extra);
    responder.writeBody(body);
}

void replyText(QHttpServerResponder& responder, Status status, const char* text) {
    reply(responder, status, kText, QByteArray(text) + '\n');
}

QByteArray resource(const char* path) {
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "attachment" with the name as RFC 6266 gives any name safely.
QByteArray attachment(const QString& name) {
    return "attachment; filename*=UTF-8''" + QUrl::toPercentEncoding(name);
}

// The same head as writeHead's, for an answer written when the socket has waited for it.
void rawReply(QTcpSocket* socket, Status status, const QByteArray& type, const QByteArray& body) {
    const QByteArray reason = QMetaEnum::fromType<Status>().valueToKey(int(status));
    QByteArray head = "HTTP/1.1 " + QByteArray::number(int(status)) + ' ' + reason + "\r\n";
    head += "Content-Type: " + type + "\r\n";
    head += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    head += "Referrer-Policy: no-referrer\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
    socket->write(head + body);
}

// Sends an MLG export as HTTP chunks while the recording's lines stream by, a batch of lines a
// turn, and only as fast as the client takes them. It goes with its socket. The log holds the
// rows the file had when it was asked for, in the time step the export would choose for them.
class MlgReply final : public QObject {
public:
    MlgReply(QTcpSocket* socket, std::unique_ptr<QFile> file, const QString& name, qint64 length,
             float timeStep)
        : QObject(socket),
          socket_(socket),
          file_(std::move(file)),
          length_(length),
          encoder_(name, kMlgVersion, {}, timeStep) {
        connect(socket, &QTcpSocket::bytesWritten, this, &MlgReply::sendMore);
        if (!file_->seek(0)) {
            socket->abort();
            return;
        }
        QMetaObject::invokeMethod(this, &MlgReply::sendMore, Qt::QueuedConnection);
    }

private:
    bool atEnd() const { return file_->pos() >= length_ || file_->atEnd(); }

    void sendMore() {
        while (!done_ && socket_->bytesToWrite() < kStreamBacklog) {
            for (int i = 0; i < kMlgLinesPerTurn && !atEnd(); ++i) {
                addLine();
            }
            if (atEnd() || !encoder_.ok()) {
                finish();
            } else {
                chunk(encoder_.take());
            }
            if (!done_) {
                QMetaObject::invokeMethod(this, &MlgReply::sendMore, Qt::QueuedConnection);
                return;
            }
        }
    }

    void addLine() {
        // readLine takes one byte less than it is given.
        const qint64 left = length_ - file_->pos();
        QByteArray line = file_->readLine(std::min<qint64>(left + 1, kMaxRecordingLine + 2));
        if (!line.endsWith('\n')) {
            if (atEnd()) {
                return;  // a row torn by a crash, or still being written when asked, is left out
            }
            encoder_.addOverlongLine();
            while (!atEnd() &&
                   !file_->readLine(std::min<qint64>(length_ - file_->pos() + 1, kMaxRecordingLine))
                        .endsWith('\n')) {
            }
            return;
        }
        line.chop(1);
        encoder_.addLine(line);
    }

    void finish() {
        done_ = true;
        if (!encoder_.finish()) {
            // No end chunk: the client sees the download broken off, not a whole log.
            socket_->abort();
            return;
        }
        chunk(encoder_.take());
        socket_->write("0\r\n\r\n");
        deleteLater();
    }

    void chunk(const QByteArray& bytes) {
        if (bytes.isEmpty()) {
            return;
        }
        socket_->write(QByteArray::number(bytes.size(), 16) + "\r\n" + bytes + "\r\n");
    }

    QTcpSocket* socket_;
    std::unique_ptr<QFile> file_;
    qint64 length_;
    MlgLineEncoder encoder_;
    bool done_ = false;
};

}  // namespace

WebServer::WebServer(WebSetup setup, MarkerHandler marker, QObject* parent)
    : QAbstractHttpServer(parent),
      setup_(std::move(setup)),
      marker_(std::move(marker)),
      recordings_(setup_.recordingsFolder),
      live_(this),
      charts_(setup_.recordingsFolder) {
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::takeLiveClients);
    chartThread_.setObjectName(QStringLiteral("web charts"));
    chartSide_.moveToThread(&chartThread_);
}

WebServer::~WebServer() {
    // A view being made hands its answer to this object: it must be done before this goes.
    chartThread_.quit();
    chartThread_.wait();
}

QString WebServer::start() {
    QTcpServer* server = nullptr;
    if (setup_.tls) {
        auto* tls = new LimitedServer<QSslServer>(this);
        tls->setSslConfiguration(*setup_.tls);
        server = tls;
    } else {
        server = new LimitedServer<QTcpServer>(this);
    }
    if (!server->listen(setup_.address, setup_.port)) {
        return server->errorString();
    }
    port_ = server->serverPort();
    bind(server);
    chartThread_.start();
    charts_.startIndexing();
    return {};
}

void WebServer::publish(const QByteArray& liveMessage) {
    lastLive_ = liveMessage;
    live_.publish(liveMessage);
}

bool WebServer::allowed(const QHttpServerRequest& request) const {
    const QByteArray fromQuery = QUrlQuery(request.url())
                                     .queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded)
                                     .toUtf8();
    // Each form is compared whatever the others gave, so the time taken tells nothing.
    const bool byQuery = sameToken(fromQuery, setup_.token);
    const bool byHeader = sameToken(bearerToken(request.value("authorization")), setup_.token);
    const bool byCookie = sameToken(cookieToken(request.value("cookie")), setup_.token);
    return byQuery || byHeader || byCookie;
}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    requestDone(socket);
    const WebRoute route = parseRoute(request.url().path(QUrl::FullyEncoded).toUtf8());
    const bool admitted = rate_.admit(request.remoteAddress(), RequestRate::Clock::now());
    const bool upgrade = route.resource == WebResource::Live &&
                         request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
    if (upgrade) {
        // Qt hands the connection to the live clients when this writes nothing and says it was
        // handled; a refusal is answered by missingHandler, and the connection closed.
        return admitted && allowed(request);
    }
    QHttpServerResponder responder = makeResponder(request, socket);
    if (!admitted) {
        replyText(responder, Status::TooManyRequests, "Too many requests");
        return true;
    }
    if (!allowed(request)) {
        if (route.resource == WebResource::Page) {
            reply(responder, Status::Unauthorized, kHtml, kNeedsLink);
        } else {
            replyText(responder, Status::Unauthorized, "Unauthorized");
        }
        return true;
    }
    const bool get = request.method() == QHttpServerRequest::Method::Get;
    if ((route.resource == WebResource::Marker) == get && route.resource != WebResource::Unknown) {
        replyText(responder, Status::MethodNotAllowed, "Method not allowed");
        return true;
    }
    switch (route.resource) {
        case WebResource::Page:
            if (request.query().hasQueryItem(QStringLiteral("token"))) {
                // The token moves from the address bar into the cookie.
                reply(responder, Status::SeeOther, kText, {},
                      {{"Location", "/"},
                       {"Set-Cookie", tokenCookie(setup_.token, setup_.tls.has_value())}});
            } else {
                reply(responder, Status::Ok, kHtml, resource(kPageResource));
            }
            return true;
        case WebResource::Asset:
            for (const Asset& asset : kAssets) {
                if (route.name ==
                    QLatin1StringView(asset.name.data(), qsizetype(asset.name.size()))) {
                    reply(responder, Status::Ok, asset.type,
                          asset.resource != nullptr ? resource(asset.resource) : scalesModule());
                    return true;
                }
            }
            break;
        case WebResource::Status:
            reply(responder, Status::Ok, kJson, statusJson());
            return true;
        case WebResource::Recordings:
            reply(responder, Status::Ok, kJson, recordingsJson());
            return true;
        case WebResource::Recording:
            sendRecording(request, socket, route.name);
            return true;
        case WebResource::Marker: {
            const QByteArray body = request.body();
            if (body.size() > kMaxMarkerBody) {
                replyText(responder, Status::PayloadTooLarge, "Marker text too long");
                return true;
            }
            marker_(QString::fromUtf8(body));
            reply(responder, Status::Accepted, kJson, R"({"marker":"on the next sample"})");
            return true;
        }
        case WebResource::Live:  // reached only without the WebSocket upgrade
            replyText(responder, Status::UpgradeRequired, "WebSocket only");
            return true;
        case WebResource::RecordingChart:
            sendChart(request, socket, route.name);
            return true;
        case WebResource::Unknown:
            break;
    }
    replyText(responder, Status::NotFound, "Not found");
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    if (!allowed(request)) {
        replyText(responder, Status::Unauthorized, "Unauthorized");
        return;
    }
    replyText(responder, Status::NotFound, "Not found");
}

void WebServer::sendRecording(const QHttpServerRequest& request, QTcpSocket* socket,
                              const QString& name) {
    QHttpServerResponder responder = makeResponder(request, socket);
    // Only a file the list gives: the name was checked for its form, the file is checked here.
    recordings_.entries();
    const QString path = recordings_.pathOf(name);
    if (path.isEmpty()) {
        replyText(responder, Status::NotFound, "Not found");
        return;
    }
    const QString format = request.query().queryItemValue(QStringLiteral("format"));
    if (format == QLatin1StringView("mlg")) {
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::ReadOnly)) {
            replyText(responder, Status::NotFound, "Not found");
            return;
        }
        // The step is known before the first byte goes, from the last row's time: a log over
        // 49.7 days counts coarser steps, as File, Export Recording writes it.
        const qint64 length = file->size();
        const float timeStep = mlgTimeStepFor(lastRowSeconds(*file, length).value_or(0.0));
        const QString mlgName = QFileInfo(name).completeBaseName() + QStringLiteral(".mlg");
        writeHead(responder, Status::Ok, "application/octet-stream",
                  {{"Content-Disposition", attachment(mlgName)}, {"Transfer-Encoding", "chunked"}});
        responder.writeBody(QByteArray());
        new MlgReply(socket, std::move(file), name, length, timeStep);
        return;
    }
    if (!format.isEmpty() && format != QLatin1StringView("csv")) {
        replyText(responder, Status::BadRequest, "Unknown format");
        return;
    }
    auto* file = new QFile(path);
    if (!file->open(QIODevice::ReadOnly)) {
        delete file;
        replyText(responder, Status::NotFound, "Not found");
        return;
    }
    // As recorded, up to where the file stood when asked: a recording still growing is sent
    // with the rows it had then.
    writeHead(responder, Status::Ok, "text/csv; charset=utf-8",
              {{"Content-Disposition", attachment(name)},
               {"Content-Length", QByteArray::number(file->size())}});
    responder.writeBody(QByteArray());
    const qint64 length = file->size();
    auto sent = std::make_shared<qint64>(0);
    auto* sender = new QObject(socket);
    file->setParent(sender);
    const auto more = [socket, file, length, sent, sender] {
        while (*sent < length && socket->bytesToWrite() < kStreamBacklog) {
            const QByteArray bytes = file->read(std::min<qint64>(kStreamChunk, length - *sent));
            if (bytes.isEmpty()) {
                socket->abort();
                return;
            }
            *sent += bytes.size();
            socket->write(bytes);
        }
        if (*sent >= length) {
            sender->deleteLater();
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, sender, more);
    more();
}

void WebServer::sendChart(const QHttpServerRequest& request, QTcpSocket* socket,
                          const QString& name) {
    recordings_.entries();
    const QString path = recordings_.pathOf(name);
    if (path.isEmpty()) {
        rawReply(socket, Status::NotFound, kText, "Not found\n");
        return;
    }
    const QUrlQuery query(request.url());
    bool widthOk = true;
    const QString widthText = query.queryItemValue(QStringLiteral("width"));
    const int width = widthText.isEmpty() ? kDefaultChartWidth : widthText.toInt(&widthOk);
    std::optional<TimeWindow> window;
    bool fromOk = true;
    bool toOk = true;
    if (query.hasQueryItem(QStringLiteral("from")) || query.hasQueryItem(QStringLiteral("to"))) {
        window = TimeWindow{query.queryItemValue(QStringLiteral("from")).toDouble(&fromOk),
                            query.queryItemValue(QStringLiteral("to")).toDouble(&toOk)};
    }
    const bool windowOk =
        !window || (fromOk && toOk && std::isfinite(window->start) && std::isfinite(window->end) &&
                    window->end > window->start && window->length() <= kMaxRecordingSeconds);
    if (!widthOk || width < 1 || width > kMaxChartWidth || !windowOk) {
        rawReply(socket, Status::BadRequest, kText,
                 "Expected width=1..2000 and from<to in seconds\n");
        return;
    }
    const QPointer<QTcpSocket> client(socket);
    QMetaObject::invokeMethod(
        &chartSide_,
        [this, client, path, window, width] {
            std::optional<QByteArray> json = charts_.chart(path, window, width);
            QMetaObject::invokeMethod(
                this,
                [client, json = std::move(json)] {
                    if (client.isNull() || client->state() != QAbstractSocket::ConnectedState) {
                        return;
                    }
                    if (!json) {
                        rawReply(client, Status::UnprocessableEntity, kText,
                                 "The file is not a recording that opens\n");
                    } else {
                        rawReply(client, Status::Ok, kJson, *json);
                    }
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

QByteArray WebServer::statusJson() const {
    QJsonObject status;
    status.insert(QStringLiteral("state"), status_.state);
    status.insert(QStringLiteral("link"),
                  status_.linkUp ? QStringLiteral("up") : QStringLiteral("down"));
    status.insert(QStringLiteral("model"), status_.model);
    const QJsonObject live = QJsonDocument::fromJson(lastLive_).object();
    status.insert(QStringLiteral("status"), live.value(QStringLiteral("status")));
    status.insert(QStringLiteral("live"), live.isEmpty() ? QJsonValue() : QJsonValue(live));
    status.insert(QStringLiteral("samples_per_second"), status_.samplesPerSecond);
    QJsonObject recording;
    if (!status_.file.isEmpty()) {
        const QFileInfo file(status_.file);
        recording.insert(QStringLiteral("file"), file.fileName());
        recording.insert(QStringLiteral("rows"), qint64(status_.rows));
        recording.insert(QStringLiteral("size"), file.size());
    }
    recording.insert(QStringLiteral("free"),
                     QStorageInfo(setup_.recordingsFolder).bytesAvailable());
    status.insert(QStringLiteral("recording"), recording);
    status.insert(QStringLiteral("alarm"), status_.alarm);
    status.insert(QStringLiteral("live_clients"), live_.count());
    status.insert(QStringLiteral("live_dropped"), qint64(live_.dropped()));
    status.insert(QStringLiteral("live_closed"), qint64(live_.closedStalled()));
    return QJsonDocument(status).toJson(QJsonDocument::Compact);
}

QByteArray WebServer::recordingsJson() {
    QJsonArray list;
    for (const RecordingEntry& entry : recordings_.entries()) {
        list.append(QJsonObject{
            {QStringLiteral("name"), entry.name},
            {QStringLiteral("start"), entry.start},
            {QStringLiteral("rows"), qint64(entry.rows)},
            {QStringLiteral("size"), entry.size},
            {QStringLiteral("markers"), entry.markers},
        });
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

void WebServer::takeLiveClients() {
    while (hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = nextPendingWebSocketConnection();
        if (!socket) {
            return;
        }
        const QNetworkRequest handshake = socket->request();
        const QByteArray fromQuery =
            QUrlQuery(handshake.url())
                .queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded)
                .toUtf8();
        const bool byQuery = sameToken(fromQuery, setup_.token);
        const bool byHeader =
            sameToken(bearerToken(handshake.rawHeader("Authorization")), setup_.token);
        const bool byCookie = sameToken(cookieToken(handshake.rawHeader("Cookie")), setup_.token);
        const bool live = parseRoute(handshake.url().path(QUrl::FullyEncoded).toUtf8()).resource ==
                          WebResource::Live;
        if (!(byQuery || byHeader || byCookie) || !live) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated,
                          live ? QStringLiteral("Unauthorized") : QStringLiteral("Not found"));
            socket.release()->deleteLater();
            continue;
        }
        live_.add(std::move(socket));
    }
}

}  // namespace quillmark
