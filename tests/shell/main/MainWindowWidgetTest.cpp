// The main window's menus, layout, key preview, close query, timer and port list.
#include "DataColumns.h"
#include "SpyMainWindowEvents.h"
#include "platform/ErrorRecord.h"
#include "widgets/gauges/RealTimePanelWidget.h"
#include "shell/main/MainWindowWidget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using quillmark::MainWindowWidget;
using quillmark::RaisedError;
using quillmark::RealTimePanelWidget;
using quillmark::test::columns;
using quillmark::test::SpyMainWindowEvents;

namespace {

// Notes every key press that reaches a control, in the same list as the window's events.
class KeyArrivals final : public QObject {
public:
    KeyArrivals(QObject* target, QStringList& log) : QObject(target), log_(log) {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            log_.append(QStringLiteral("control:%1").arg(static_cast<QKeyEvent*>(event)->key()));
        }
        return false;
    }

private:
    QStringList& log_;
};

// For the tests that click or type into the window: keys reach only a window on screen.
bool shownOnScreen(QWidget& window) {
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

}  // namespace

class MainWindowWidgetTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void menuBarMatchesTheDesign() {
        MainWindowWidget window;
        SpyMainWindowEvents events;
        window.setEvents(&events);
        QStringList seen;
        for (QAction* title : window.menuBar()->actions()) {
            QVERIFY(title->menu() != nullptr);
            seen << title->menu()->objectName() + u' ' + title->text();
            for (QAction* item : title->menu()->actions()) {
                QVERIFY(item->shortcut().isEmpty() && !item->isSeparator());
                QVERIFY(!item->isCheckable() && item->isEnabled());
                events.calls.clear();
                item->trigger();
                seen << QStringLiteral("  %1 %2 -> %3")
                            .arg(item->objectName(), item->text(), events.calls.join(u','));
            }
        }
        QCOMPARE(seen, (QStringList{
                           QStringLiteral("mnuFile &File"),
                           QStringLiteral("  mnuExit E&xit -> mnuExit_Click"),
                           QStringLiteral("mnuView &View"),
                           QStringLiteral("  mnuViewRealTime View &Real Time Data -> "
                                          "mnuViewRealTime_Click"),
                           QStringLiteral("mnuCommunications &Communications"),
                           QStringLiteral("  mnuPortSetup &Port Setup -> mnuPortSetup_Click"),
                           QStringLiteral("mnuHelp &Help"),
                           QStringLiteral("  mnuHelpContents &Contents -> mnuHelpContents_Click"),
                           QStringLiteral("  mnuAbout &About -> mnuAbout_Click"),
                       }));
    }

    void windowFrameCaptionFontAndIcon() {
        MainWindowWidget window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvane Data Logging Program Version 3.0"));
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window.windowIcon().availableSizes().contains(QSize(32, 32)));

        // Controls without a font of their own carry the window's.
        const QFont portFont = window.findChild<QComboBox*>(QStringLiteral("cboPort"))->font();
        QCOMPARE(portFont.family(), QStringLiteral("System"));
        QVERIFY(portFont.bold());
        QCOMPARE(portFont.pointSizeF(), 9.6);
    }

    void clientAreaInPixelsFollowsTheDpi_data() {
        columns<double, QSize>("dpi", "client");
        QTest::newRow("96 dpi") << 96.0 << QSize(527, 577);
        QTest::newRow("120 dpi") << 120.0 << QSize(659, 721);
        QTest::newRow("144 dpi") << 144.0 << QSize(791, 865);
    }
    void clientAreaInPixelsFollowsTheDpi() {
        QFETCH(double, dpi);
        QFETCH(QSize, client);
        MainWindowWidget window;
        window.applyLayout(dpi);
        QVERIFY(shownOnScreen(window));

        QCOMPARE(window.centralWidget()->size(), client);
        // The client area sits wholly below the menu bar, and the window cannot be resized.
        QCOMPARE(window.centralWidget()->y(), window.menuBar()->geometry().bottom() + 1);
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QCOMPARE(window.size(),
                 QSize(client.width(), client.height() + window.menuBar()->height()));
    }

    void controlsArePlacedFromTheTwipsTable() {
        MainWindowWidget window;
        window.applyLayout(120.0);  // 12 twips to the pixel
        const auto geometryOf = [&window](const char* name) {
            auto* widget = window.findChild<QWidget*>(QString::fromLatin1(name));
            return widget != nullptr ? widget->geometry() : QRect();
        };
        QCOMPARE(geometryOf("fraRealTimeData"), QRect(0, 0, 661, 721));
        QCOMPARE(geometryOf("fraPortSelect"), QRect(110, 20, 221, 161));
        QCOMPARE(geometryOf("cboPort"), QRect(90, 40, 99, 28));
        QCOMPARE(geometryOf("cmdPortSelectOK"), QRect(80, 100, 51, 31));
        QCOMPARE(geometryOf("lblPort"), QRect(30, 50, 51, 21));

        auto* frame = window.findChild<QGroupBox*>(QStringLiteral("fraPortSelect"));
        QCOMPARE(frame->title(), QStringLiteral("Data Port Setup"));
        QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("cmdPortSelectOK"))->text(),
                 QStringLiteral("OK"));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblPort"))->text(),
                 QStringLiteral("Port"));
        auto* port = window.findChild<QComboBox*>(QStringLiteral("cboPort"));
        QVERIFY(!port->isEditable());
        QCOMPARE(port->count(), 0);
        QCOMPARE(port->parentWidget(), frame);
    }

    void framesStartHiddenAndPortSetupLiesAboveThePanel() {
        MainWindowWidget window;
        SpyMainWindowEvents events;
        window.setEvents(&events);
        QVERIFY(shownOnScreen(window));
        auto* panel = window.findChild<RealTimePanelWidget*>(QStringLiteral("fraRealTimeData"));
        auto* frame = window.findChild<QGroupBox*>(QStringLiteral("fraPortSelect"));
        QVERIFY(panel != nullptr && frame != nullptr);
        QVERIFY(!panel->isVisible());
        QVERIFY(!frame->isVisible());
        QCOMPARE(&window.realTime(), static_cast<quillmark::RealTimeView*>(panel));

        window.realTime().setPanelVisible(true);
        window.setPortSetupVisible(true);
        QVERIFY(panel->isVisible() && frame->isVisible());
        QWidget* top = window.centralWidget()->childAt(frame->geometry().center());
        QVERIFY(top == frame || frame->isAncestorOf(top));

        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdPortSelectOK")),
                          Qt::LeftButton);
        emit panel->closeClicked();
        QCOMPARE(events.calls, (QStringList{QStringLiteral("cmdPortSelectOK_Click"),
                                            QStringLiteral("cmdCloseRealTimeData_Click")}));

        window.setPortSetupVisible(false);
        QVERIFY(!frame->isVisible());
    }

    void keyPreviewSeesEveryKeyOnceBeforeTheFocusedControl() {
        MainWindowWidget window;
        SpyMainWindowEvents events;
        window.setEvents(&events);
        window.setPortSetupVisible(true);
        QVERIFY(shownOnScreen(window));
        auto* port = window.findChild<QComboBox*>(QStringLiteral("cboPort"));
        port->addItem(QStringLiteral("Com1"));
        port->setFocus();
        KeyArrivals arrivals(port, events.calls);

        window.setKeyPreview(true);
        QTest::keyClick(port, Qt::Key_Escape);
        QTest::keyClick(port, Qt::Key_Return);
        QTest::keyClick(port, Qt::Key_A);
        QCOMPARE(events.keys, (QList<int>{27, 13, 'a'}));
        QCOMPARE(
            events.calls,
            (QStringList{
                QStringLiteral("Form_KeyPress"), QStringLiteral("control:%1").arg(Qt::Key_Escape),
                QStringLiteral("Form_KeyPress"), QStringLiteral("control:%1").arg(Qt::Key_Return),
                QStringLiteral("Form_KeyPress"), QStringLiteral("control:%1").arg(Qt::Key_A)}));
        QCOMPARE(port->count(), 1);

        // A key that makes no character is the control's alone.
        events.calls.clear();
        QTest::keyClick(port, Qt::Key_F5);
        QCOMPARE(events.count(QStringLiteral("Form_KeyPress")), 0);

        // A dialog of its own takes its keys.
        auto* dialog = new QDialog(&window);
        auto* edit = new QLineEdit(dialog);
        dialog->show();
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(events.count(QStringLiteral("Form_KeyPress")), 0);
        delete dialog;

        window.setKeyPreview(false);
        events.calls.clear();
        QTest::keyClick(port, Qt::Key_Escape);
        QCOMPARE(events.calls, QStringList{QStringLiteral("control:%1").arg(Qt::Key_Escape)});
    }

    void closingRaisesTheQueryOnceAndIsNeverRefused() {
        MainWindowWidget window;
        SpyMainWindowEvents events;
        window.setEvents(&events);
        QVERIFY(shownOnScreen(window));
        window.unload();
        QCOMPARE(events.calls, QStringList{QStringLiteral("Form_QueryUnload")});
        QVERIFY(!window.isVisible());

        // The close box: an event already marked refused still goes through.
        MainWindowWidget other;
        other.setEvents(&events);
        events.calls.clear();
        QCloseEvent close;
        close.ignore();
        QApplication::sendEvent(&other, &close);
        QVERIFY(close.isAccepted());
        QCOMPARE(events.calls, QStringList{QStringLiteral("Form_QueryUnload")});
    }

    void dataReadTimerTicksEveryHalfSecond() {
        SpyMainWindowEvents events;
        MainWindowWidget window;  // ticking without being shown or loaded
        window.setEvents(&events);
        auto* timer = window.findChild<QTimer*>(QStringLiteral("tmrDataRead"));
        QVERIFY(timer != nullptr);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 500);
        QVERIFY(!timer->isSingleShot());
        // Each expiry the event loop would deliver raises the handler once, and nothing else.
        for (int tick = 0; tick < 2; ++tick) {
            QTimerEvent expiry(timer->timerId());
            QCoreApplication::sendEvent(timer, &expiry);
        }
        QCOMPARE(events.calls, QStringList(2, QStringLiteral("tmrDataRead_Timer")));
    }

    void portListIndexRangeAndClicks() {
        MainWindowWidget window;
        SpyMainWindowEvents events;
        events.controls = &window;
        window.setEvents(&events);
        for (int n = 1; n <= 255; ++n) {
            window.addPortListItem(QStringLiteral("Com%1").arg(n));
        }
        QCOMPARE(window.portListCount(), 255);
        QCOMPARE(window.portListIndex(), -1);

        window.setPortListIndex(254);
        QCOMPARE(window.portListIndex(), 254);
        window.setPortListIndex(-1);
        QCOMPARE(window.portListIndex(), -1);
        window.setPortListIndex(0);
        for (const int bad : {255, 256, -2}) {
            try {
                window.setPortListIndex(bad);
                QFAIL(qPrintable(QStringLiteral("index %1 accepted").arg(bad)));
            } catch (const RaisedError& error) {
                QVERIFY(error.record().description.contains(QString::number(bad)));
            }
            QCOMPARE(window.portListIndex(), 0);
        }
        QVERIFY(events.calls.isEmpty());

        // A user's choice is a click, and the handler already sees the new selection.
        window.setPortSetupVisible(true);
        QVERIFY(shownOnScreen(window));
        auto* port = window.findChild<QComboBox*>(QStringLiteral("cboPort"));
        QTest::keyClick(port, Qt::Key_Down);
        QCOMPARE(events.calls, QStringList{QStringLiteral("cboPort_Click")});
        QCOMPARE(events.portIndexAtClick, QList<int>{1});
    }
};

QTEST_MAIN(MainWindowWidgetTest)
#include "MainWindowWidgetTest.moc"
