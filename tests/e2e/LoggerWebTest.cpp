// quillmark-logger --http as it ships, on the module simulator: the page and the API for the
// token, the page in Debian's Chromium at phone and laptop width (live values as text, the Marker
// button, a recording's chart), and hostile requests that must each be refused or dropped while
// sampling goes on at its rate. scripts/test-arm64.sh runs it against the packaged arm64 logger.
#include "recording/RecordingReader.h"
#include "sim/CommandTable.h"

#include "LoggerRun.h"

#include "SelfSignedCertificate.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <vector>

using namespace quillmark;
using namespace quillmark::sim;
using namespace quillmark::test;

namespace {

// 50 counts of 40 rpm on a Corvane II VR.
constexpr std::uint8_t kSpeedByte = 50;
constexpr const char* kSpeedText = "2000";

// The logger with its dashboard, recording from the start.
struct WebRun : LoggerRun {
    WebRun() : LoggerRun(kSpeedByte) {}

    bool start(const QStringList& options = {}) {
        return startServing(options, "Recording to", 10000);
    }
    // The longest time between two status commands from the `first` logged command on.
    double longestGapMs(std::uint64_t first) const {
        double longest = 0.0;
        std::optional<std::chrono::microseconds> previous;
        for (const auto& entry : engine.log().entriesFrom(first)) {
            if (entry.command != command::kStatus) {
                continue;
            }
            if (previous) {
                longest = std::max(longest, double((entry.time - *previous).count()) / 1000.0);
            }
            previous = entry.time;
        }
        return longest;
    }
    // Samples a second, as the module saw their status commands over `ms`.
    double samplesPerSecond(int ms) { return measure(ms).samplesPerSecond; }
};

// What a raw request got: the status code, or 0 when the connection was dropped without one.
struct Reply {
    int status = 0;
    QByteArray bytes;
    bool closed = false;  // by the server, within the time
};

// With `untilClosed`, the answer is followed by the server closing the connection.
Reply ask(quint16 port, const QByteArray& request, bool untilClosed = false, int ms = 15000) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(ms)) {
        return {};
    }
    socket.write(request);
    Reply answer;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms && socket.state() == QAbstractSocket::ConnectedState) {
        if (socket.waitForReadyRead(100)) {
            answer.bytes += socket.readAll();
        }
        const qsizetype end = answer.bytes.indexOf("\r\n\r\n");
        const qsizetype lengthAt = answer.bytes.indexOf("Content-Length: ");
        if (end > 0 && lengthAt > 0 && lengthAt < end) {
            const qsizetype lineEnd = answer.bytes.indexOf("\r\n", lengthAt);
            const int length = answer.bytes.mid(lengthAt + 16, lineEnd - lengthAt - 16).toInt();
            if (answer.bytes.size() >= end + 4 + length) {
                break;
            }
        }
    }
    if (untilClosed && socket.state() == QAbstractSocket::ConnectedState) {
        socket.waitForDisconnected(int(std::max<qint64>(1, ms - timer.elapsed())));
    }
    answer.bytes += socket.readAll();
    answer.closed = socket.state() != QAbstractSocket::ConnectedState;
    if (answer.bytes.startsWith("HTTP/1.1 ")) {
        answer.status = answer.bytes.mid(9, 3).toInt();
    }
    return answer;
}

QByteArray get(const QByteArray& path, const QByteArray& headers = {}) {
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
}

QJsonObject status(const WebRun& run) {
    const Reply answer =
        ask(run.port, get("/api/status", "Authorization: Bearer " + run.token + "\r\n"));
    return QJsonDocument::fromJson(answer.bytes.mid(answer.bytes.indexOf("\r\n\r\n") + 4)).object();
}

}  // namespace

class LoggerWebTest final : public QObject {
    Q_OBJECT
private slots:
    // Without a browser: the page, its scripts and the API for the token, from the resources
    // and tables built into the program under test.
    void pageAndApiAnswerTheToken() {
        WebRun run;
        QVERIFY2(run.start(), run.errors.constData());
        const QByteArray bearer = "Authorization: Bearer " + run.token + "\r\n";
        const QByteArray name = QFileInfo(run.files().value(0)).fileName().toLatin1();
        struct Row {
            const char* what;
            QByteArray request;
            int status;
            QByteArray holds;
        };
        const std::vector<Row> rows{
            {"page", get("/", bearer), 200, "id=\"value-engine_speed_rpm\""},
            {"page's script", get("/app.js", bearer), 200, "from \"/gauges.js\""},
            {"scales from the tables", get("/scales.js", bearer), 200, "export const scales"},
            {"link", get("/?token=" + run.token), 303, "HttpOnly; SameSite=Strict"},
            {"recordings", get("/api/recordings", bearer), 200, name},
        };
        for (const Row& row : rows) {
            const Reply answer = ask(run.port, row.request);
            QVERIFY2(answer.status == row.status && answer.bytes.contains(row.holds),
                     qPrintable(QStringLiteral("%1: %2").arg(row.what).arg(answer.status)));
        }
        QTRY_COMPARE_WITH_TIMEOUT(
            status(run).value("live").toObject().value("engine_speed_rpm").toInt(), 2000,
            waitMs(5000));
        // The recording's size is the file's, wherever the logger was started from.
        QTRY_VERIFY_WITH_TIMEOUT(
            status(run).value("recording").toObject().value("size").toInteger() > 0, waitMs(5000));
    }

    // https with the logger's TLS backend (a plugin of Qt Network that must be found at run time).
    void httpsAnswersTheToken() {
        QTemporaryDir keys;
        if (!makeSelfSignedCertificate(keys.path())) {
            QSKIP("openssl could not make a certificate");
        }
        WebRun run;
        QVERIFY2(run.start({"--tls-cert", keys.filePath("cert.pem"), "--tls-key",
                            keys.filePath("key.pem")}),
                 run.errors.constData());
        QVERIFY(run.link.startsWith(QStringLiteral("https://")));
        QSslSocket socket;
        QSslConfiguration trust = socket.sslConfiguration();
        trust.addCaCertificates(keys.filePath("cert.pem"));
        socket.setSslConfiguration(trust);
        socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), run.port);
        QVERIFY2(socket.waitForEncrypted(waitMs(5000)), qPrintable(socket.errorString()));
        socket.write(get("/api/status", "Authorization: Bearer " + run.token + "\r\n"));
        QByteArray answer;
        QElapsedTimer timer;
        timer.start();
        while (!answer.contains("engine_speed") && timer.elapsed() < waitMs(5000)) {
            socket.waitForReadyRead(100);
            answer += socket.readAll();
        }
        QVERIFY2(answer.startsWith("HTTP/1.1 200") && answer.contains("engine_speed_rpm"),
                 answer.constData());
    }

    void pageShowsLiveValuesTakesAMarkerAndDrawsAChart() {
        const QString npm = qEnvironmentVariable("QUILLMARK_NPM_DIR");
        if (!QFile::exists(npm + "/node_modules/puppeteer-core/package.json") ||
            !QFile::exists(QStringLiteral("/usr/bin/chromium"))) {
            QSKIP("needs Chromium and puppeteer-core (scripts/install-deps.sh)");
        }
        WebRun run;
        QVERIFY2(run.start(), run.errors.constData());
        QTest::qWait(1500);  // a second of rows for the chart
        const QString shots = qEnvironmentVariable("QUILLMARK_WEB_SHOTS", run.dir.path());
        QDir().mkpath(shots);
        QProcess browser;
        browser.start(QStringLiteral("node"),
                      {QStringLiteral(QUILLMARK_WEB_SCRIPT), npm, run.link, shots});
        QVERIFY(browser.waitForFinished(90000));
        const QList<QByteArray> said = browser.readAllStandardOutput().split('\n');
        const QByteArray problems = browser.readAllStandardError();
        QVariantMap page;
        for (const QByteArray& line : said) {
            page.insert(QJsonDocument::fromJson(line).object().toVariantMap());
        }
        QVERIFY2(page.value("done").toBool(), (said.join('\n') + problems).constData());
        QVERIFY(!page.contains("pageError"));
        // The token left the address bar for the cookie.
        QCOMPARE(page.value("address").toString(),
                 QStringLiteral("http://127.0.0.1:%1/").arg(run.port));
        QCOMPARE(page.value("rpm").toString(), QString::fromLatin1(kSpeedText));
        QVERIFY(page.value("status").toString().contains(QStringLiteral("Engine Running")));
        QCOMPARE(page.value("pageWidth").toInt(), 360);  // nothing wider than the phone
        QVERIFY(page.value("chart").toString().contains(QStringLiteral("Engine speed: 2000")));
        qInfo("chart first drawn after %d ms", page.value("chartMs").toInt());
        // The marker lands in the file.
        QTest::qWait(500);
        bool marked = false;
        for (const QString& path : run.files()) {
            for (const RecordingRow& row : readRecordingFile(path).rows) {
                marked = marked || !row.markers.empty();
            }
        }
        QVERIFY(marked);
    }

    void hostileRequestsAreRefusedAndSamplingGoesOn() {
        WebRun run;
        QVERIFY2(run.start(), run.errors.constData());
        const QByteArray name = QFileInfo(run.files().value(0)).fileName().toLatin1();
        QVERIFY(QFile::link(QStringLiteral("/etc/passwd"), run.folder() + "/passwd.csv"));
        QTest::qWait(1500);
        const double before = run.samplesPerSecond(4000);
        QVERIFY2(before > 5.0, qPrintable(QString::number(before)));
        const QByteArray wrong(run.token.size(), 'f');
        const QByteArray bearer = "Authorization: Bearer " + run.token + "\r\n";
        QRandomGenerator random(1227);
        QByteArray noise(4096, '\0');
        random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        struct Row {
            const char* what;
            QByteArray request;
            QList<int> allowed;   // 0: dropped without an answer
            bool closes = false;  // answered at once, then closed
        };
        const std::vector<Row> rows{
            {"no token", get("/api/status"), {401}},
            {"no token, page", get("/"), {401}},
            {"wrong token", get("/api/status", "Authorization: Bearer " + wrong + "\r\n"), {401}},
            {"wrong token in the link", get("/?token=" + wrong), {401}},
            {"wrong cookie",
             get("/api/recordings", "Cookie: quillmark_token=" + wrong + "\r\n"),
             {401}},
            {"encoded traversal",
             get("/api/recordings/..%2F..%2F..%2Fetc%2Fpasswd", bearer),
             {404}},
            {"plain traversal", get("/api/recordings/../../../etc/passwd", bearer), {404}},
            {"absolute", get("/api/recordings/%2Fetc%2Fpasswd", bearer), {404}},
            {"link out of the folder", get("/api/recordings/passwd.csv", bearer), {404}},
            {"over-long name",
             get("/api/recordings/" + QByteArray(4000, 'a') + ".csv", bearer),
             {404}},
            {"chart of nothing", get("/api/recordings/x.csv/chart?width=99999", bearer), {404}},
            {"chart too wide",
             get("/api/recordings/" + name + "/chart?width=99999", bearer),
             {400}},
            {"200 kB header",
             get("/api/status", bearer + "X-Big: " + QByteArray(200000, 'a') + "\r\n"),
             {431},
             true},
            {"random bytes", noise, {400, 0}},
            {"huge body",
             "POST /api/marker HTTP/1.1\r\nHost: x\r\n" + bearer +
                 "Content-Length: 300000\r\n\r\n" + QByteArray(300000, 'm'),
             {413},
             true},
        };
        for (const Row& row : rows) {
            QElapsedTimer took;
            took.start();
            const Reply answer = ask(run.port, row.request, row.closes);
            QVERIFY2(row.allowed.contains(answer.status) && (answer.status != 0 || answer.closed),
                     qPrintable(QStringLiteral("%1: %2").arg(row.what).arg(answer.status)));
            // Well before the deadline of a request that never arrives whole.
            QVERIFY2(!row.closes || (answer.closed && took.elapsed() < 5000), row.what);
            QVERIFY2(!answer.bytes.contains("root:") && !answer.bytes.contains(run.token) &&
                         (answer.status == 404 || !answer.bytes.contains(name)),
                     row.what);
        }

        // Twenty live clients that never read: each is refused or dropped.
        std::vector<std::unique_ptr<QTcpSocket>> stalled;
        for (int i = 0; i < 20; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            socket->setReadBufferSize(1);
            socket->connectToHost(QHostAddress::LocalHost, run.port);
            QVERIFY(socket->waitForConnected(3000));
            socket->write(
                "GET /api/live HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                "Sec-WebSocket-Version: 13\r\n" +
                bearer + "\r\n");
            socket->flush();
            stalled.push_back(std::move(socket));
        }
        const std::uint64_t stalledFrom = run.engine.log().total();
        QTest::qWait(1000);
        QVERIFY(status(run).value("live_clients").toInt() > 0);
        const double during = run.samplesPerSecond(4000);
        QTRY_VERIFY_WITH_TIMEOUT(status(run).value("live_clients").toInt() == 0, waitMs(40000));
        QVERIFY(status(run).value("live_closed").toInt() > 0);
        const double after = run.samplesPerSecond(4000);
        const double gap = run.longestGapMs(stalledFrom);
        qInfo(
            "samples a second: %.1f before, %.1f with 20 stalled clients, %.1f after; longest "
            "time between two samples meanwhile %.0f ms",
            before, during, after, gap);
        // The machine's other work moves the rate; a sample that waited for a client would
        // show as a stop.
        QVERIFY(during > before * 0.5 && after > before * 0.5);
        QVERIFY(gap < 1000.0);
        QCOMPARE(run.logger.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(LoggerWebTest)
#include "LoggerWebTest.moc"
