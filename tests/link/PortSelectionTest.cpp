// The port list, the stored port number and the selection handler.
#include "DataColumns.h"
#include "LinkHarness.h"
#include "MainControlsHarness.h"
#include "link/LinkBringUp.h"
#include "link/PortNames.h"
#include "link/PortSelection.h"

#include <QTest>

using namespace quillmark;
using namespace quillmark::test;

namespace {

struct Harness : MainControlsHarness {
    QString title = QStringLiteral("Quillmark");
    PortSelection ports{controls, settings, port, boxes, title};
};

}  // namespace

class PortSelectionTest final : public QObject {
    Q_OBJECT
private slots:
    void storedText_converts_data() {
        columns<QString, int>("text", "number");
        QTest::newRow("plain") << "7" << 7;
        QTest::newRow("blanks around") << " 12 " << 12;
        QTest::newRow("a half rounds to even") << "2.5" << 2;
        QTest::newRow("largest 16-bit") << "32767" << 32767;
        QTest::newRow("negative") << "-3" << -3;
    }
    void storedText_converts() {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(int(storedPortNumber(text)), number);
    }

    void storedText_rejectsWithAPlainDescription_data() {
        columns<QString, QString>("text", "says");
        QTest::newRow("letters") << "abc"
                                 << "is not a number";
        QTest::newRow("empty") << ""
                               << "is not a number";
        QTest::newRow("too large") << "70000"
                                   << "is out of range";
        QTest::newRow("too small") << "-40000"
                                   << "is out of range";
        QTest::newRow("not finite") << "inf"
                                    << "is not a number";
    }
    void storedText_rejectsWithAPlainDescription() {
        QFETCH(QString, text);
        QFETCH(QString, says);
        try {
            storedPortNumber(text);
            QFAIL("accepted");
        } catch (const RaisedError& error) {
            QVERIFY2(error.record().description.contains(says),
                     qPrintable(error.record().description));
            QVERIFY(error.record().description.contains('"' + text + '"'));
        }
    }

    void portList_has255EntriesWithoutBlanks() {
        Harness h;
        h.ports.fillPortList();
        QCOMPARE(h.controls.portList.size(), 255);
        QCOMPARE(h.controls.portList.first(), QStringLiteral("Com1"));
        QCOMPARE(h.controls.portList.at(11), QStringLiteral("Com12"));
        QCOMPARE(h.controls.portList.last(), QStringLiteral("Com255"));
    }

    void selection_storesTheNumberAndClosesAnOpenPort() {
        Harness h;
        h.ports.fillPortList();
        h.port.open();
        h.controls.listIndex = 11;  // the user picks Com12
        h.ports.cboPort_Click();
        QCOMPARE(int(h.ports.PortNumber), 12);
        QCOMPARE(h.storedPort(), QStringLiteral("12"));
        QVERIFY(!h.port.isOpen());

        h.controls.listIndex = 2;  // with the port closed only the number changes
        h.ports.cboPort_Click();
        QCOMPARE(h.storedPort(), QStringLiteral("3"));
        QCOMPARE(h.port.closes, 1);
    }

    void selection_failingStore_isTrapped() {
        Harness h;
        h.ports.fillPortList();
        h.port.open();
        h.settings.failSaving = true;
        h.controls.listIndex = 4;
        h.boxes.answers = {BoxAnswer::Ignore};
        h.ports.cboPort_Click();
        QCOMPARE(h.boxes.texts(), QStringList{"The settings store is read-only."});
        QCOMPARE(int(h.ports.PortNumber), 5);
        QVERIFY(!h.port.isOpen());  // Ignore went on with closing the port

        Harness aborted;
        aborted.ports.fillPortList();
        aborted.port.open();
        aborted.settings.failSaving = true;
        aborted.boxes.answers = {BoxAnswer::Abort};
        aborted.ports.cboPort_Click();
        QVERIFY(aborted.port.isOpen());  // Abort ended the handler at once
    }

    void setupPanel_showsAndHidesWithoutChangingAnything() {
        Harness h;
        h.ports.mnuPortSetup_Click();
        QVERIFY(h.controls.portSetupVisible);
        h.ports.cmdPortSelectOK_Click();
        QVERIFY(!h.controls.portSetupVisible);
        QVERIFY(h.settings.values.isEmpty());
    }

    void lineSettings_areTheFixedOnes() {
        Harness h;
        h.ports.applyLineSettings();
        QVERIFY(h.port.settingsApplied);
        QCOMPARE(h.port.applied.settings, QStringLiteral("56000,N,8,1"));
        QCOMPARE(h.port.applied.inBufferSize, 256);
        QVERIFY(h.port.applied.dtrEnable);
        QVERIFY(!h.port.applied.rtsEnable);
        QVERIFY(!h.port.isOpen());
    }

    void portNames_storedPathWinsElseKernelNumbering() {
        MemorySettingsStore settings;
        settings.save(QStringLiteral("Quillmark"), QStringLiteral("Ports"), QStringLiteral("Com3"),
                      QStringLiteral(" /dev/ttyUSB0 "));
        const PortNames names(settings);
        QCOMPARE(PortNames::displayName(12), QStringLiteral("Com12"));
        QCOMPARE(names.device(3), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(names.device(7), QStringLiteral("/dev/ttyS6"));
        QCOMPARE(names.device(255), QStringLiteral("/dev/ttyS254"));
        for (int outside : {0, 256, -1}) {
            try {
                names.device(outside);
                QFAIL("a number outside 1 to 255 names no device");
            } catch (const RaisedError& error) {
                QCOMPARE(error.record().description,
                         QStringLiteral("%1 is not a serial port number (1 to 255)").arg(outside));
            }
        }
    }

    void openingThePort_selectsTheMappedDevice() {
        LinkHarness h;
        h.settings.save(QStringLiteral("Quillmark"), QStringLiteral("Ports"),
                        QStringLiteral("Com3"), QStringLiteral("/dev/ttyUSB1"));
        resync(h.link);
        QCOMPARE(h.port.selectedPort, 3);
        QCOMPARE(h.port.selectedDevice, QStringLiteral("/dev/ttyUSB1"));
    }
};

QTEST_GUILESS_MAIN(PortSelectionTest)
#include "PortSelectionTest.moc"
