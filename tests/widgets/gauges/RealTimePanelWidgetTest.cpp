// The panel: names, twips layout, labels, the Close signal and which gauges repaint.
#include "platform/Twips.h"
#include "widgets/gauges/RealTimePanelWidget.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <map>

using namespace quillmark;

namespace {
struct Expected {
    const char* name;
    int left, top, width, height;
};

// The design layout, written out independently of the tables the panel uses.
constexpr Expected kDesign[] = {
    {"cmdCloseRealTimeData", 5880, 2280, 1455, 495},
    {"gauTPS", 240, 240, 852, 3732},
    {"gauTach", 1560, 240, 3972, 3732},
    {"gauInj1PW", 240, 4680, 852, 3732},
    {"gauFuelMult1", 1200, 4680, 852, 3732},
    {"gauInj2PW", 2520, 4680, 852, 3732},
    {"gauFuelMult2", 3480, 4680, 852, 3732},
    {"gauRetard", 5160, 4680, 852, 3732},
    {"gauBatVolts", 6120, 4680, 852, 3732},
    {"lblStatusFlagsLegend", 5760, 480, 1692, 252},
    {"lblStatusFlags", 5760, 840, 1812, 972},
    {"lblFrontCylLegend", 240, 4320, 1932, 252},
    {"lblRearCylLegend", 2520, 4320, 1812, 252},
};

class PaintCounter final : public QObject {
public:
    using QObject::QObject;
    std::map<QString, int> counts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++counts[watched->objectName()];
        }
        return false;
    }
};
}  // namespace

class RealTimePanelWidgetTest final : public QObject {
    Q_OBJECT

private slots:
    void childrenSitAtTheirTwipsPositions() {
        RealTimePanelWidget panel;
        QCOMPARE(panel.objectName(), QStringLiteral("fraRealTimeData"));
        const double dpi = panel.logicalDpiY();
        for (const Expected& e : kDesign) {
            auto* child = panel.findChild<QWidget*>(QString::fromUtf8(e.name));
            QVERIFY2(child, e.name);
            QCOMPARE(child->geometry(), twipsRect(e.left, e.top, e.width, e.height, dpi));
        }
        QCOMPARE(panel.sizeHint(), twipsRect(0, 0, 7932, 8655, dpi).size());
    }

    void accessorsReturnTheNamedGauges() {
        RealTimePanelWidget panel;
        const auto bar = [&](const char* name) {
            return dynamic_cast<BarGauge*>(panel.findChild<QWidget*>(QString::fromUtf8(name)));
        };
        QCOMPARE(&panel.gauTPS(), bar("gauTPS"));
        QCOMPARE(&panel.gauFuelMult1(), bar("gauFuelMult1"));
        QCOMPARE(&panel.gauFuelMult2(), bar("gauFuelMult2"));
        QCOMPARE(&panel.gauBatVolts(), bar("gauBatVolts"));
        QCOMPARE(&panel.gauInj1PW(), bar("gauInj1PW"));
        QCOMPARE(&panel.gauInj2PW(), bar("gauInj2PW"));
        QCOMPARE(&panel.gauRetard(), bar("gauRetard"));
        QCOMPARE(&panel.gauTach(),
                 dynamic_cast<DialGauge*>(panel.findChild<QWidget*>(QStringLiteral("gauTach"))));
    }

    void labelsAndColours() {
        RealTimePanelWidget panel;
        QFont windowFont(QStringLiteral("System"));
        windowFont.setPointSizeF(9.6);
        windowFont.setBold(true);
        panel.setFont(windowFont);
        const std::map<QString, QString> captions{{"lblStatusFlagsLegend", "STATUS"},
                                                  {"lblStatusFlags", ""},
                                                  {"lblFrontCylLegend", "FRONT CYLINDER"},
                                                  {"lblRearCylLegend", "REAR CYLINDER"}};
        for (const auto& [name, caption] : captions) {
            auto* label = panel.findChild<QLabel*>(name);
            QVERIFY(label);
            QCOMPARE(label->text(), caption);
            QVERIFY(!label->testAttribute(Qt::WA_SetFont));
            QCOMPARE(label->font(), windowFont);
        }
        QCOMPARE(panel.palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(panel.palette().color(QPalette::WindowText), QColor(Qt::white));
        auto* status = panel.findChild<QLabel*>(QStringLiteral("lblStatusFlags"));
        QCOMPARE(status->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(status->palette().color(QPalette::WindowText), QColor(Qt::black));

        panel.setStatusText(QStringLiteral("Engine Running\r\nBasic Mode\r\nSwap Mode"));
        QCOMPARE(status->text(), QStringLiteral("Engine Running\nBasic Mode\nSwap Mode"));
    }

    void closeButtonAndVisibility() {
        QWidget window;
        auto* panel = new RealTimePanelWidget(&window);
        QSignalSpy closed(panel, &RealTimePanelWidget::closeClicked);
        panel->findChild<QPushButton*>(QStringLiteral("cmdCloseRealTimeData"))->click();
        QCOMPARE(closed.count(), 1);

        window.show();
        panel->setPanelVisible(false);
        QVERIFY(!panel->isVisible());
        panel->setPanelVisible(true);
        QVERIFY(panel->isVisible());
        panel->gauRetard().setGaugeVisible(false);
        QVERIFY(!panel->findChild<QWidget*>(QStringLiteral("gauRetard"))->isVisible());
        QVERIFY(panel->findChild<QWidget*>(QStringLiteral("gauBatVolts"))->isVisible());
    }

    void onlyTheChangedGaugeRepaints() {
        RealTimePanelWidget panel;
        panel.resize(panel.sizeHint());
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        PaintCounter counter;
        panel.installEventFilter(&counter);
        for (QWidget* child : panel.findChildren<QWidget*>()) {
            child->installEventFilter(&counter);
        }
        // Every widget marked for repainting is painted in the same pass, so once a marker
        // repainted, so did every gauge that asked to; the marker paints over nothing else.
        QWidget marker(&panel);
        marker.setObjectName(QStringLiteral("marker"));
        marker.setAttribute(Qt::WA_OpaquePaintEvent);
        marker.setGeometry(0, 0, 1, 1);
        marker.show();
        marker.installEventFilter(&counter);
        const auto settle = [&] {
            marker.update();
            const bool painted =
                QTest::qWaitFor([&] { return counter.counts.count("marker") != 0; });
            counter.counts.erase("marker");
            return painted;
        };
        QVERIFY(settle());
        counter.counts.clear();

        panel.gauFuelMult1().setPointerValue(12.5);
        QVERIFY(settle());
        QCOMPARE(counter.counts, (std::map<QString, int>{{"gauFuelMult1", 1}}));

        counter.counts.clear();
        panel.gauFuelMult1().setPointerValue(12.5);
        panel.gauTPS().setPointerScale(0);
        panel.gauTach().setTachScaleMax(8.0);
        panel.gauTach().setCaption(QStringLiteral("0"));
        panel.gauTach().setTachDisplayCode(3);
        QVERIFY(settle());
        QVERIFY(counter.counts.empty());

        panel.gauTach().setValue(4.5);
        panel.gauTach().setTachDisplayCode(3);
        panel.gauTach().setCaption(QStringLiteral("4500"));
        QVERIFY(settle());
        QCOMPARE(counter.counts, (std::map<QString, int>{{"gauTach", 1}}));
    }
};

QTEST_MAIN(RealTimePanelWidgetTest)
#include "RealTimePanelWidgetTest.moc"
