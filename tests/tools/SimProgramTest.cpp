// The quillmark-sim program: serves across reopen, logs each command, registers its port.
#include "DataColumns.h"
#include "PtyPeer.h"

#include "sim/CommandTable.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillmark::sim;
using namespace std::chrono_literals;
using quillmark::sim::test::PtyPeer;
using quillmark::test::columns;

class SimProgramTest final : public QObject {
    Q_OBJECT

private slots:
    void programServesLogsAndRegisters_data() {
        // before: the user's settings file, empty for none
        columns<QByteArray, QByteArray>("before", "after");
        QTest::newRow("no settings file") << QByteArray() << QByteArray("[Ports]\n");
        // The user's mapping, comments and a malformed line all survive the simulator.
        const QByteArray own = "; mine\n[Ports]\nCom9=/dev/ttyUSB0\nCom6 /dev/ttyUSB1\n";
        QTest::newRow("user's own Com9") << own << own;
    }
    void programServesLogsAndRegisters() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString bin = qEnvironmentVariable("QUILLMARK_BUILD_BIN");
        QVERIFY(!bin.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.path());
        const QString logFile = home.filePath("commands.log");
        const QString conf = home.filePath("Quillmark/Quillmark.conf");
        if (!before.isEmpty()) {
            QVERIFY(QDir(home.path()).mkpath("Quillmark"));
            QFile file(conf);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        }
        QProcess sim;
        sim.setProcessEnvironment(env);
        sim.start(bin + "/quillmark-sim", {"--com", "9", "--log", logFile, "--no-pace"});
        QVERIFY(sim.waitForReadyRead(5000));
        const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY(path.startsWith("/dev/pts/"));

        QFile running(conf);
        QVERIFY(running.open(QIODevice::ReadOnly));
        QVERIFY2(running.readAll().contains("\nCom9=" + path.toLocal8Bit() + '\n'),
                 qPrintable(conf));

        PtyPeer peer(path.toStdString());
        for (int i = 0; i < 2; ++i) {
            peer.send(command::kResync);
            QCOMPARE(peer.read(2, 1000ms).at(1), char(kAcknowledge));
            peer.close();
            QVERIFY(peer.open(path.toStdString()));
        }
        peer.send(command::kStatus);
        QCOMPARE(peer.read(2, 1000ms).size(), 2);
        peer.close();

        sim.terminate();
        QVERIFY(sim.waitForFinished(2000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QFile restored(conf);
        QVERIFY(restored.open(QIODevice::ReadOnly));
        QCOMPARE(restored.readAll(), after);

        QFile log(logFile);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        QCOMPARE(lines.size(), 4);  // three commands and the final newline
        QVERIFY(lines[0].endsWith(" 0x33"));
        QVERIFY(lines[2].endsWith(" 0x2F"));
        QVERIFY(lines[0].split(' ').front().toDouble() <= lines[2].split(' ').front().toDouble());
    }
};

QTEST_GUILESS_MAIN(SimProgramTest)
#include "SimProgramTest.moc"
