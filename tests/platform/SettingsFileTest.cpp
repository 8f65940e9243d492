// The settings store on a real file: only the entry written changes, the user's lines stay.
#include "DataColumns.h"
#include "platform/ErrorRecord.h"
#include "platform/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillmark;
using quillmark::test::columns;

namespace {

const QString kApp = QStringLiteral("Quillmark");

// What saving the port choice reports; empty when it was saved.
QString saveFailure() {
    QtSettingsStore store;
    try {
        store.save(kApp, "Properties", "CommPort", "2");
    } catch (const RaisedError& e) {
        return e.record().description;
    }
    return {};
}

}  // namespace

class SettingsFileTest final : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    QString conf_;

    void writeConf(const QByteArray& bytes) {
        QFile::remove(conf_);
        if (bytes.isNull()) {
            return;
        }
        QFile file(conf_);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QByteArray readConf() const {
        QFile file(conf_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.path()));
        QVERIFY(QDir(home_.path()).mkpath(kApp));
        conf_ = home_.filePath("Quillmark/Quillmark.conf");
    }

    void savingEditsOnlyItsEntry_data() {
        // before: null: no file
        columns<QByteArray, QString, QByteArray>("before", "value", "after");
        const QByteArray edited =
            "; my ports\n[Ports]\nCom1=/dev/ttyUSB0\nCom6 "
            "/dev/ttyUSB1\n\n[Properties]\nCommPort=3\n";
        QTest::newRow("same value leaves the file alone") << edited << "3" << edited;
        QTest::newRow("new value changes one line")
            << edited << "12" << QByteArray(edited).replace("CommPort=3", "CommPort=12");
        QTest::newRow("missing key goes to its section")
            << QByteArray("[Properties]\r\n# note\r\n\r\n[Ports]\r\nCom2=/dev/pts/4\r\n") << "7"
            << QByteArray(
                   "[Properties]\r\n# note\r\nCommPort=7\r\n\r\n[Ports]\r\nCom2=/dev/pts/4\r\n");
        QTest::newRow("no file yet")
            << QByteArray() << "2" << QByteArray("[Properties]\nCommPort=2\n");
        QTest::newRow("a header without its bracket still ends the section")
            << QByteArray("[Properties]\nNote=x\n[Ports\nCom1=/dev/ttyUSB0\n") << "5"
            << QByteArray("[Properties]\nNote=x\nCommPort=5\n[Ports\nCom1=/dev/ttyUSB0\n");
        QTest::newRow("odd text is quoted")
            << QByteArray() << " a \"b\", c;"
            << QByteArray("[Properties]\nCommPort=\" a \\\"b\\\", c;\"\n");
    }
    void savingEditsOnlyItsEntry() {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        writeConf(before);
        QtSettingsStore store;
        store.save(kApp, "Properties", "CommPort", value);
        QCOMPARE(readConf(), after);
        QCOMPARE(store.get(kApp, "Properties", "CommPort", "none"), value);
    }

    void unreadableLinesAreNamedNotMistakenForWriteErrors() {
        writeConf("[Ports]\nCom1=/dev/ttyUSB0\nCom6 /dev/ttyUSB1\n");
        QtSettingsStore store;
        store.save(kApp, "Properties", "CommPort", "4");
        const QString message = store.unreadableLines(kApp);
        QVERIFY2(message.startsWith(QStringLiteral("Line 3 of %1 is not understood")
                                        .arg(QDir::toNativeSeparators(conf_))),
                 qPrintable(message));
        QVERIFY(message.contains("Com6 /dev/ttyUSB1") && message.contains("Name=Value"));
        QCOMPARE(store.get(kApp, "Ports", "Com1", QString()), QStringLiteral("/dev/ttyUSB0"));

        store.remove(kApp, "Ports", "Com1");
        QCOMPARE(readConf(),
                 QByteArray("[Ports]\nCom6 /dev/ttyUSB1\n\n[Properties]\nCommPort=4\n"));
        writeConf("; fine\n[Ports]\nCom1=/dev/ttyUSB0\n");
        QVERIFY(store.unreadableLines(kApp).isEmpty());
    }

    void realWriteFailureIsReported() {
        // A plain file where the settings folder belongs stops even a privileged user.
        QVERIFY(QDir(home_.filePath(kApp)).removeRecursively());
        QFile blocker(home_.filePath(kApp));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString description = saveFailure();
        QVERIFY2(description.startsWith("Could not write the settings file"),
                 qPrintable(description));
        QVERIFY(blocker.remove() && QDir(home_.path()).mkpath(kApp));

        // An open quote hides every line after it from the reader: written, yet not stored.
        writeConf("Note=\"open\n[Properties]\nCommPort=1\n");
        const QString unreadable = saveFailure();
        QVERIFY2(unreadable.contains("does not read back"), qPrintable(unreadable));
    }

    // A settings file kept elsewhere (with the user's other dotfiles) through a link whose
    // file is not there yet: the choice goes where the link leads, or the user hears that the
    // link leads nowhere, and where.
    void danglingLink_isWrittenThroughOrNamed_data() {
        columns<QString, bool>("target", "written");
        QTest::newRow("to a file not made yet") << "dotfiles/quillmark.conf" << true;
        QTest::newRow("into a folder that is not there") << "gone/quillmark.conf" << false;
    }
    void danglingLink_isWrittenThroughOrNamed() {
        QFETCH(QString, target);
        QFETCH(bool, written);
        QTemporaryDir elsewhere;
        QVERIFY(QDir(elsewhere.path()).mkpath(QStringLiteral("dotfiles")));
        const QString targetPath = elsewhere.filePath(target);
        writeConf(QByteArray());
        QVERIFY(QFile::link(targetPath, conf_));
        const QString description = saveFailure();
        if (written) {
            QVERIFY2(description.isEmpty(), qPrintable(description));
            QVERIFY(QFileInfo(conf_).isSymLink());
            QFile file(targetPath);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("[Properties]\nCommPort=2\n"));
            QCOMPARE(QtSettingsStore().get(kApp, "Properties", "CommPort", "none"),
                     QStringLiteral("2"));
        } else {
            QVERIFY2(description.contains(QStringLiteral("is a link to %1, which does not exist")
                                              .arg(QDir::toNativeSeparators(targetPath))),
                     qPrintable(description));
            QVERIFY(!QFileInfo::exists(targetPath));
        }
        QVERIFY(QFile::remove(conf_));
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "SettingsFileTest.moc"
