// The main window's load with the stored port, the keys, exit, About and Help.
#include "DataColumns.h"
#include "FakeShellPlatform.h"
#include "MainControlsHarness.h"
#include "link/SharedState.h"
#include "shell/main/frmMain.h"
#include "shell/splash/BrandingLines.h"

#include <QTest>

using namespace quillmark;
using namespace quillmark::test;

namespace {

struct Harness : MainControlsHarness {
    FakeFiles files;
    SpyHelpViewer help;
    SpyProgramEnd programEnd;
    SharedState state;
    BrandingLines branding;
    frmMain logic{
        {port, clock, pump, boxes, settings, files, help, programEnd}, state, branding, controls};

    explicit Harness(std::optional<QString> stored = std::nullopt) {
        if (stored) {
            settings.values.insert("Quillmark/Properties/CommPort", *stored);
        }
        state.panelActive = true;
        state.escapePressed = true;
        state.commErrorCount = 5;
    }
};

}  // namespace

class MainWindowLogicTest final : public QObject {
    Q_OBJECT
private slots:
    void load_withStoredPort_data() {
        // unreadable: what the store reports of hand edits
        columns<QVariant, int, int, QString, QString, QString>(
            "stored", "portNumber", "listIndex", "storedAfter", "dialog", "unreadable");
        QTest::newRow("nothing stored") << QVariant() << 1 << 0 << "1"
                                        << "" << QString();
        QTest::newRow("unreadable line named after the load")
            << QVariant("7") << 7 << 6 << "7"
            << "Line 3 of Quillmark.conf"
            << "Line 3 of Quillmark.conf is not understood";
        QTest::newRow("7") << QVariant("7") << 7 << 6 << "7"
                           << "" << QString();
        QTest::newRow("255, the last entry") << QVariant("255") << 255 << 254 << "255"
                                             << "" << QString();
        QTest::newRow("0 selects nothing") << QVariant("0") << 0 << -1 << "0"
                                           << "" << QString();
        QTest::newRow("256 names no entry")
            << QVariant("256") << 256 << -1 << "256"
            << "The stored port number 256 names no port" << QString();
        QTest::newRow("abc is not a number")
            << QVariant("abc") << 0 << -1 << "abc"
            << "The stored port setting \"abc\" is not a number" << QString();
        QTest::newRow("70000 is out of range")
            << QVariant("70000") << 0 << -1 << "70000"
            << "The stored port setting \"70000\" is out of range" << QString();
    }
    void load_withStoredPort() {
        QFETCH(QVariant, stored);
        QFETCH(int, portNumber);
        QFETCH(int, listIndex);
        QFETCH(QString, storedAfter);
        QFETCH(QString, dialog);
        QFETCH(QString, unreadable);
        Harness h(stored.isValid() ? std::optional(stored.toString()) : std::nullopt);
        h.settings.unreadable = unreadable;
        h.boxes.answers = {BoxAnswer::Ignore};
        h.logic.Form_Load();
        QCOMPARE(int(h.logic.PortNumber()), portNumber);
        QCOMPARE(h.controls.listIndex, listIndex);
        QCOMPARE(h.storedPort(), storedAfter);
        if (dialog.isEmpty()) {
            QVERIFY(h.boxes.shown.isEmpty());
        } else {
            QCOMPARE(h.boxes.shown.size(), 1);
            QVERIFY2(h.boxes.texts().first().startsWith(dialog),
                     qPrintable(h.boxes.texts().first()));
        }
        // Ignore went on: every later step ran and nothing else was lost.
        QCOMPARE(h.controls.portList.size(), 255);
        QVERIFY(h.port.settingsApplied);
        QCOMPARE(int(h.state.commErrorCount), 0);
        QVERIFY(!h.port.isOpen());  // the port is never opened at start-up
    }

    void load_stepsInOrder() {
        Harness h(QStringLiteral("3"));
        h.logic.Form_Load();
        QVERIFY(h.controls.keyPreview);
        QVERIFY(!h.controls.view.panelVisible);
        QVERIFY(!h.state.panelActive);
        QVERIFY(!h.state.escapePressed);
        QCOMPARE(h.controls.applicationTitle, QStringLiteral("Quillmark"));
        QCOMPARE(h.files.currentDirectory, h.files.directory);
        QCOMPARE(h.settings.saves, 1);  // the selection stored the port again
    }

    void load_abortSkipsTheRestAndKeepsWhatWasDone() {
        Harness h(QStringLiteral("abc"));
        h.boxes.answers = {BoxAnswer::Abort};
        h.logic.Form_Load();
        QCOMPARE(h.controls.applicationTitle, QStringLiteral("Quillmark"));
        QVERIFY(!h.state.escapePressed);
        QVERIFY(h.controls.portList.isEmpty());
        QVERIFY(!h.port.settingsApplied);
        QCOMPARE(int(h.state.commErrorCount), 5);
    }

    void load_retryRunsTheFailedStepAgain() {
        Harness h;
        h.files.failChangingDirectory = true;
        h.boxes.whileOpen = [&] { h.files.failChangingDirectory = false; };
        h.boxes.answers = {BoxAnswer::Retry};
        h.logic.Form_Load();
        QCOMPARE(h.boxes.texts(), QStringList{"Path not found: /opt/quillmark"});
        QCOMPARE(h.files.currentDirectory, h.files.directory);
        QCOMPARE(h.controls.portList.size(), 255);
    }

    void keys_onlyEscapeSetsTheFlag() {
        Harness h;
        h.logic.Form_Load();
        for (int key : {13, 32, 97, 26, 28}) {
            h.logic.Form_KeyPress(key);
            QVERIFY(!h.state.escapePressed);
        }
        h.logic.Form_KeyPress(27);
        QVERIFY(h.state.escapePressed);
    }

    void exit_unloadsAndTheCloseQueryEndsAtOnce() {
        Harness h;
        h.logic.Form_Load();
        h.logic.mnuExit_Click();
        QCOMPARE(h.controls.unloads, 1);
        h.port.open();
        h.state.panelActive = true;
        h.port.failures["close"] = 1;  // a port that fails to close does not keep it alive
        h.logic.Form_QueryUnload();
        QCOMPARE(h.programEnd.ends, 1);
        QVERIFY(h.boxes.shown.isEmpty());
        QVERIFY(h.state.panelActive);  // the panel's own close steps are not run
    }

    void about_isRebuiltOnEveryUse() {
        Harness h;
        h.branding.AboutLines = {"Halverd", "Halverd LLC", "1 Way"};
        h.logic.mnuAbout_Click();
        h.logic.mnuAbout_Click();
        QCOMPARE(h.boxes.shown.size(), 2);
        QCOMPARE(h.boxes.shown.at(0).text, h.boxes.shown.at(1).text);
        QCOMPARE(h.boxes.shown.at(0).style, BoxStyle::OkInformation);
        QCOMPARE(h.boxes.shown.at(0).title, QStringLiteral("About"));
        QVERIFY(h.boxes.shown.at(0).text.startsWith(
            "Halverd Corvane Data Logging Program Revision 3.00\r\n"));
        QVERIFY(h.boxes.shown.at(0).text.endsWith("\r\n\r\nHalverd LLC\r\n1 Way\r\n"));
    }

    void help_opensTheFileBesideTheProgramWhateverTheCurrentDirectory() {
        Harness h;
        h.logic.Form_Load();
        h.files.currentDirectory = QStringLiteral("/tmp");
        h.logic.mnuHelpContents_Click();
        QCOMPARE(h.help.opened, QStringList{"/opt/quillmark/Quillmark_Help.chm"});
        QCOMPARE(h.logic.helpFile(), QStringLiteral("/opt/quillmark/Quillmark_Help.chm"));
    }
};

QTEST_GUILESS_MAIN(MainWindowLogicTest)
#include "frmMainTest.moc"
