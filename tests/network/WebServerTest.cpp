// The dashboard's server in this process: live samples reach a WebSocket client in order, a
// marker asked for comes back on the starting thread, downloads are the file as recorded and
// its MLG log, the chart is thinned to the width asked for, and https serves the same.
#include "network/http/AccessToken.h"
#include "network/http/WebDashboard.h"
#include "recording/MlgExport.h"

#include "SelfSignedCertificate.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QSslKey>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

using namespace quillmark;

namespace {

constexpr const char* kToken = "0123456789abcdef0123456789abcdef";

QByteArray recording() {
    QByteArray text =
        "Time (s),Clock,Status (raw),Status,Engine speed (rpm),Throttle (%),Fuel front (%),"
        "Fuel rear (%),Battery (V),Injector front (ms),Injector rear (ms),Retard (deg),Answers,"
        "Marker\n";
    for (int i = 0; i < 400; ++i) {
        text += QByteArray::number(i * 0.025, 'f', 3) +
                ",2026-12-08T10:00:00.000Z,6,Engine Running," + QByteArray::number(1000 + 10 * i) +
                ",1,1,1,13,1,1,1,2F:0006," + (i == 200 ? "1 hill" : "") + "\n";
    }
    return text;
}

struct Served {
    QTemporaryDir dir;
    std::unique_ptr<WebDashboard> dashboard;
    QStringList markers;
    QNetworkAccessManager network;

    explicit Served(std::optional<QSslConfiguration> tls = std::nullopt) {
        QDir().mkpath(dir.filePath("rec"));
        QFile file(dir.filePath("rec/run.csv"));
        file.open(QIODevice::WriteOnly);
        file.write(recording());
        file.close();
        WebSetup setup;
        setup.token = kToken;
        setup.recordingsFolder = dir.filePath("rec");
        setup.tls = std::move(tls);
        QString error;
        dashboard = WebDashboard::start(
            setup, [this](const QString& text) { markers << text; }, error);
        QVERIFY2(dashboard, qPrintable(error));
    }
    QString base(const char* scheme = "http") const {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(QLatin1StringView(scheme))
            .arg(dashboard->port());
    }
    QNetworkReply* send(const QString& path, const QByteArray& post = {}, bool secure = false) {
        QNetworkRequest request(QUrl(base(secure ? "https" : "http") + path));
        request.setRawHeader("Authorization", QByteArray("Bearer ") + kToken);
        QNetworkReply* reply = post.isNull() ? network.get(request) : network.post(request, post);
        if (secure) {
            reply->ignoreSslErrors();
        }
        QSignalSpy done(reply, &QNetworkReply::finished);
        done.wait(10000);
        return reply;
    }
};

}  // namespace

class WebServerTest final : public QObject {
    Q_OBJECT
private slots:
    void liveSamplesReachAClientInOrderAndAStrangerIsClosed() {
        Served served;
        QWebSocket client;
        QStringList got;
        connect(&client, &QWebSocket::textMessageReceived, [&got](const QString& m) { got << m; });
        QNetworkRequest request(QUrl(served.base("ws") + "/api/live"));
        request.setRawHeader("Authorization", QByteArray("Bearer ") + kToken);
        client.open(request);
        QTRY_COMPARE(client.state(), QAbstractSocket::ConnectedState);
        QTRY_COMPARE(served.send("/api/status")->readAll().contains("\"live_clients\":1"), true);
        for (int i = 0; i < 3; ++i) {
            served.dashboard->publish(QByteArray("{\"n\":") + QByteArray::number(i) + "}");
        }
        QTRY_COMPARE(got, (QStringList{"{\"n\":0}", "{\"n\":1}", "{\"n\":2}"}));

        QWebSocket stranger;
        stranger.open(QUrl(served.base("ws") + "/api/live?token=" + QByteArray(32, 'f')));
        QSignalSpy closed(&stranger, &QWebSocket::disconnected);
        QVERIFY(closed.wait(5000));
    }

    void markerComesBackWithItsTextOnTheStartingThread() {
        Served served;
        QNetworkReply* reply = served.send("/api/marker", "hill start");
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 202);
        QTRY_COMPARE(served.markers, QStringList{"hill start"});
        QCOMPARE(served.send("/api/marker", QByteArray(2000, 'x'))
                     ->attribute(QNetworkRequest::HttpStatusCodeAttribute)
                     .toInt(),
                 413);
    }

    void downloadsAreTheRecordingAndItsStreamedLog() {
        Served served;
        QCOMPARE(served.send("/api/recordings/run.csv")->readAll(), recording());
        const QByteArray mlg = served.send("/api/recordings/run.csv?format=mlg")->readAll();
        QVERIFY(mlg.startsWith("MLVLG"));
        QVERIFY(mlg.size() > 400 * 30);
        const QJsonArray list =
            QJsonDocument::fromJson(served.send("/api/recordings")->readAll()).array();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0]["rows"].toInt(), 400);
        QCOMPARE(list[0]["markers"].toInt(), 1);

        // A clock over 49.7 days, past what milliseconds hold, with a row torn at the end: the
        // download is the export's log, in its coarser steps.
        QFile longRun(served.dir.filePath("rec/long.csv"));
        QVERIFY(longRun.open(QIODevice::WriteOnly));
        longRun.write(
            recording().left(recording().indexOf('\n') + 1) +
            "0.000,2026-10-01T10:00:00.000Z,6,Engine Running,1000,1,1,1,13,1,1,1,2F:0006,\n"
            "1.500,2026-10-01T10:00:01.500Z,6,Engine Running,1040,1,1,1,13,1,1,1,2F:0006,2\n"
            "4300000.250,2026-11-20T04:26:40.250Z,6,Engine Running,1080,1,1,1,13,1,1,1,"
            "2F:0006,\n\n"
            "50000000.000,2028-");
        longRun.close();
        QVERIFY(exportRecordingToMlg(longRun.fileName(), served.dir.filePath("long.mlg"))
                    .error.isEmpty());
        QFile exported(served.dir.filePath("long.mlg"));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(served.send("/api/recordings/long.csv?format=mlg")->readAll(), exported.readAll());
    }

    void chartIsThinnedToTheWidthAskedFor() {
        Served served;
        QJsonObject chart = QJsonDocument::fromJson(
                                served.send("/api/recordings/run.csv/chart?width=50")->readAll())
                                .object();
        const QJsonArray lanes = chart["lanes"].toArray();
        QCOMPARE(lanes.size(), 8);
        const QJsonObject speed = lanes[0].toObject();
        QCOMPARE(speed["key"].toString(), QStringLiteral("engine_speed_rpm"));
        QCOMPARE(speed["columns"].toArray().size(), 50);
        QCOMPARE(speed["low"].toDouble(), 1000.0);
        QCOMPARE(speed["high"].toDouble(), 4990.0);
        // Eight rows a column: the first column holds 1000 to 1070.
        QCOMPARE(speed["columns"].toArray()[0].toArray()[0].toDouble(), 1000.0);
        QCOMPARE(speed["columns"].toArray()[0].toArray()[1].toDouble(), 1070.0);
        QCOMPARE(chart["markers"].toArray()[0].toArray()[1].toString(), QStringLiteral("1"));
        QCOMPARE(chart["markers"].toArray()[0].toArray()[2].toString(), QStringLiteral("hill"));
        // A view of the second half only.
        chart = QJsonDocument::fromJson(
                    served.send("/api/recordings/run.csv/chart?width=10&from=5&to=10")->readAll())
                    .object();
        QCOMPARE(chart["lanes"][0]["columns"].toArray()[0].toArray()[0].toDouble(), 3000.0);
    }

    void httpsServesTheSame() {
        QTemporaryDir keys;
        if (!test::makeSelfSignedCertificate(keys.path())) {
            QSKIP("openssl could not make a certificate");
        }
        QFile keyFile(keys.filePath("key.pem"));
        QVERIFY(keyFile.open(QIODevice::ReadOnly));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificateChain(QSslCertificate::fromPath(keys.filePath("cert.pem")));
        tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Ec));
        Served served(tls);
        QVERIFY(served.dashboard->link().startsWith("https://"));
        QNetworkReply* reply = served.send("/api/status", QByteArray(), true);
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        QVERIFY(reply->readAll().contains("\"live_clients\":0"));
    }
};

QTEST_GUILESS_MAIN(WebServerTest)
#include "WebServerTest.moc"
