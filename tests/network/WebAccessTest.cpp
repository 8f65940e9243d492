// What stands between a client and the logger's data: the token and its forms, the request
// path, the recordings a name may reach, the listening address and the request rate.
#include "network/http/AccessToken.h"
#include "network/http/RecordingList.h"
#include "network/http/RequestLimits.h"
#include "network/http/WebOptions.h"
#include "network/http/WebRoute.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quillmark;

Q_DECLARE_METATYPE(quillmark::WebResource)

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

constexpr const char* kHeader =
    "Time (s),Clock,Status (raw),Status,Engine speed (rpm),Throttle (%),Fuel front (%),"
    "Fuel rear (%),Battery (V),Injector front (ms),Injector rear (ms),Retard (deg),Answers,"
    "Marker\n";

QByteArray row(double seconds, const char* marker = "") {
    return QByteArray::number(seconds, 'f', 3) +
           ",2026-12-08T10:00:00.000Z,6,Engine Running,1000,1,1,1,13,1,1,1,2F:0006," + marker +
           "\n";
}

}  // namespace

class WebAccessTest final : public QObject {
    Q_OBJECT
private slots:
    void tokenFormsAreReadAndComparedWhole_data() {
        QTest::addColumn<QByteArray>("authorization");
        QTest::addColumn<QByteArray>("cookie");
        QTest::addColumn<bool>("admitted");
        QTest::newRow("bearer") << QByteArray("Bearer 0123abcd") << QByteArray() << true;
        QTest::newRow("scheme in any case, blanks") << QByteArray("  bEaReR   0123abcd ")
                                                    << QByteArray() << true;
        QTest::newRow("cookie among others")
            << QByteArray() << QByteArray("a=1; quillmark_token=0123abcd; b=2") << true;
        QTest::newRow("prefix of the token") << QByteArray("Bearer 0123abc") << QByteArray()
                                             << false;
        QTest::newRow("token and more") << QByteArray("Bearer 0123abcde") << QByteArray()
                                        << false;
        QTest::newRow("other scheme") << QByteArray("Basic 0123abcd") << QByteArray() << false;
        QTest::newRow("cookie of another name")
            << QByteArray() << QByteArray("xquillmark_token=0123abcd") << false;
        QTest::newRow("empty") << QByteArray("Bearer ") << QByteArray("quillmark_token=")
                               << false;
    }
    void tokenFormsAreReadAndComparedWhole() {
        QFETCH(QByteArray, authorization);
        QFETCH(QByteArray, cookie);
        const QByteArray expected("0123abcd");
        const bool admitted =
            sameToken(bearerToken(authorization), expected) || sameToken(cookieToken(cookie), expected);
        QTEST(admitted, "admitted");
    }

    void tokenFileIsMadeOnceForItsOwnerAlone() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("state/http-token"));
        const TokenFile made = readOrCreateToken(path);
        QVERIFY2(made.error.isEmpty(), qPrintable(made.error));
        QVERIFY(made.created);
        QCOMPARE(made.token.size(), 2 * kTokenBytes);
        QCOMPARE(QFile(path).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const TokenFile read = readOrCreateToken(path);
        QVERIFY(!read.created);
        QCOMPARE(read.token, made.token);
        QVERIFY(readOrCreateToken(dir.filePath(QStringLiteral("other"))).token != made.token);

        writeFile(path, "token with; a cookie's separator\n");
        QVERIFY(!readOrCreateToken(path).error.isEmpty());
        const QByteArray cookie = tokenCookie("abc", true);
        QVERIFY(cookie.contains("HttpOnly") && cookie.contains("SameSite=Strict") &&
                cookie.contains("Secure"));
    }

    void pathReachesOnlyWhatItNames_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<WebResource>("resource");
        QTest::addColumn<QString>("name");
        QTest::newRow("page") << QByteArray("/") << WebResource::Page << "";
        QTest::newRow("asset") << QByteArray("/app.js") << WebResource::Asset << "app.js";
        QTest::newRow("recording, encoded blank")
            << QByteArray("/api/recordings/a%20b.csv") << WebResource::Recording << "a b.csv";
        QTest::newRow("chart") << QByteArray("/api/recordings/a.csv/chart")
                               << WebResource::RecordingChart << "a.csv";
        QTest::newRow("encoded traversal")
            << QByteArray("/api/recordings/..%2F..%2Fetc%2Fpasswd") << WebResource::Unknown << "";
        QTest::newRow("plain traversal") << QByteArray("/api/recordings/../../x.csv")
                                         << WebResource::Unknown << "";
        QTest::newRow("encoded absolute") << QByteArray("/api/recordings/%2Fetc%2Fx.csv")
                                          << WebResource::Unknown << "";
        QTest::newRow("hidden") << QByteArray("/api/recordings/.x.csv") << WebResource::Unknown
                                << "";
        QTest::newRow("not a recording") << QByteArray("/api/recordings/passwd")
                                         << WebResource::Unknown << "";
        QTest::newRow("over-long name")
            << "/api/recordings/" + QByteArray(300, 'a') + ".csv" << WebResource::Unknown << "";
        QTest::newRow("encoded NUL") << QByteArray("/api/recordings/a%00.csv")
                                     << WebResource::Unknown << "";
        QTest::newRow("bad UTF-8") << QByteArray("/api/recordings/%FF.csv")
                                   << WebResource::Unknown << "";
        QTest::newRow("asset in a folder") << QByteArray("/x/app.js") << WebResource::Unknown
                                           << "";
        QTest::newRow("backslash asset") << QByteArray("/..%5Capp.js") << WebResource::Unknown
                                         << "";
        QTest::newRow("relative") << QByteArray("api/status") << WebResource::Unknown << "";
    }
    void pathReachesOnlyWhatItNames() {
        QFETCH(QByteArray, path);
        const WebRoute route = parseRoute(path);
        QTEST(route.resource, "resource");
        QTEST(route.name, "name");
    }

    void listGivesPlainRecordingsCountedAsTheyGrow() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("rec"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/run.csv");
        writeFile(path, kHeader + row(0) + row(0.5, "1 hill") + row(1.0).left(10));
        writeFile(dir.filePath(QStringLiteral("secret.csv")), "outside\n");
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("secret.csv")),
                            folder + QStringLiteral("/link.csv")));
        writeFile(folder + QStringLiteral("/.hidden.csv"), kHeader);
        RecordingList list(folder);
        std::vector<RecordingEntry> entries = list.entries();
        QCOMPARE(entries.size(), std::size_t(1));
        QCOMPARE(entries[0].name, QStringLiteral("run.csv"));
        QCOMPARE(entries[0].rows, 2L);
        QCOMPARE(entries[0].markers, 1);
        QCOMPARE(entries[0].start, QStringLiteral("2026-12-08T10:00:00.000Z"));
        // The torn row is counted once its line end arrives.
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(row(1.0).mid(10) + row(1.5, "2"));
        file.close();
        entries = list.entries();
        QCOMPARE(entries[0].rows, 4L);
        QCOMPARE(entries[0].markers, 2);

        QCOMPARE(list.pathOf(QStringLiteral("run.csv")), path);
        for (const char* name : {"link.csv", ".hidden.csv", "../secret.csv", "secret.csv", ""}) {
            QVERIFY2(list.pathOf(QString::fromLatin1(name)).isEmpty(), name);
        }
    }

    void listenAddressTakesPortAndOptionalAddress_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::newRow("port alone: loopback") << "8080" << "127.0.0.1" << 8080;
        QTest::newRow("every network") << "0.0.0.0:8080" << "0.0.0.0" << 8080;
        QTest::newRow("IPv6") << "[::1]:9000" << "::1" << 9000;
        QTest::newRow("no port") << "0.0.0.0:" << "" << 0;
        QTest::newRow("port 0") << "0" << "" << 0;
        QTest::newRow("port too high") << "65536" << "" << 0;
        QTest::newRow("host name") << "example.org:80" << "" << 0;
    }
    void listenAddressTakesPortAndOptionalAddress() {
        QFETCH(QString, text);
        QFETCH(QString, address);
        QFETCH(int, port);
        const ListenAddress listen = parseListen(text);
        QCOMPARE(listen.error.isEmpty(), port != 0);
        if (port != 0) {
            QCOMPARE(listen.address.toString(), address);
            QCOMPARE(int(listen.port), port);
        }
    }

    void rateRefusesABurstPerAddressAndRecovers() {
        RequestRate rate;
        const auto at = RequestRate::Clock::now();
        const QHostAddress one(QStringLiteral("192.0.2.1"));
        int admitted = 0;
        for (int i = 0; i < 200; ++i) {
            admitted += rate.admit(one, at) ? 1 : 0;
        }
        QCOMPARE(admitted, int(kRequestBurst));
        QVERIFY(rate.admit(QHostAddress(QStringLiteral("192.0.2.2")), at));
        QVERIFY(!rate.admit(one, at + std::chrono::milliseconds(10)));
        QVERIFY(rate.admit(one, at + std::chrono::milliseconds(100)));
    }
};

QTEST_GUILESS_MAIN(WebAccessTest)
#include "WebAccessTest.moc"
