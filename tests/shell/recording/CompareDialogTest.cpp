// The Compare With box: at most three runs are taken however many are picked and the rest are
// named, OK waits for one, each way of lining up comes back with its own value, and the box
// opens again as it was left.
#include "DataColumns.h"
#include "shell/recording/CompareDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

using namespace quillmark;
using quillmark::test::columns;

class CompareDialogTest final : public QObject {
    Q_OBJECT
private slots:
    void request_data() {
        columns<QString, int, int, double>("choice", "at", "marker", "rpm");
        QTest::newRow("starts") << "At their &starts" << 0 << 1 << 3000.0;
        QTest::newRow("marker") << "At &marker" << 1 << 4 << 3000.0;
        QTest::newRow("crossing") << "Where engine speed first comes &up to" << 2 << 1 << 4500.0;
    }
    void request() {
        QFETCH(QString, choice);
        QFETCH(int, at);
        QFETCH(int, marker);
        QFETCH(double, rpm);
        QStringList picked{"/runs/b.csv", "/runs/c.csv"};
        CompareDialog dialog(
            QStringLiteral("a.csv"), [&picked] { return picked; }, nullptr);
        auto* add = dialog.findChild<QPushButton*>(QStringLiteral("cmdAddRun"));
        auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QVERIFY(!ok->isEnabled());
        add->click();
        QVERIFY(ok->isEnabled() && add->isEnabled());
        auto* leftOut = dialog.findChild<QLabel*>(QStringLiteral("lblLeftOut"));
        QVERIFY(leftOut->isHidden());
        picked = QStringList{"/runs/d.csv", "/runs/e.csv", "/runs/f.csv"};
        add->click();
        QVERIFY(!add->isEnabled());
        // What did not fit is said, not dropped without a word.
        QVERIFY(!leftOut->isHidden());
        QVERIFY2(leftOut->text().endsWith(QStringLiteral("left out: e.csv, f.csv.")),
                 qPrintable(leftOut->text()));
        for (QRadioButton* button : dialog.findChildren<QRadioButton*>()) {
            if (button->text() == choice) {
                button->click();
            }
        }
        dialog.findChild<QSpinBox*>(QStringLiteral("txtMarker"))->setValue(4);
        dialog.findChild<QSpinBox*>(QStringLiteral("txtRpm"))->setValue(4500);
        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            QVERIFY(dialog.grab().save(QString::fromLocal8Bit(shots) + "/compare-dialog.png"));
        }
        const ComparisonRequest request = dialog.request();
        QCOMPARE(request.paths, (QStringList{"/runs/b.csv", "/runs/c.csv", "/runs/d.csv"}));
        QCOMPARE(static_cast<int>(request.alignment.at), at);
        if (request.alignment.at == AlignAt::Marker) {
            QCOMPARE(request.alignment.marker, marker);
        }
        if (request.alignment.at == AlignAt::SpeedCrossing) {
            QCOMPARE(request.alignment.rpm, rpm);
        }
        // Opened again, the box starts from what was chosen.
        CompareDialog again(QStringLiteral("a.csv"), {}, nullptr);
        again.setRequest(request);
        QCOMPARE(again.request().paths, request.paths);
        QCOMPARE(again.request().alignment, request.alignment);
        QVERIFY(again.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
    }
};

QTEST_MAIN(CompareDialogTest)
#include "CompareDialogTest.moc"
