// Qt message boxes: buttons, icons and answers of each style code, Esc and the close box.
#include "platform/QtMessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>

using quillmark::QtMessageBoxes;

namespace {

using BoxAction = std::function<void(QMessageBox&)>;

// Shows a box and, once it is up, hands it to each action in turn, one event loop pass
// apart; returns the box's answer.
int runBox(int style, QList<BoxAction> actions, const QString& text = QStringLiteral("text"),
           const QString& title = QStringLiteral("title")) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, actions]() mutable {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        if (actions.isEmpty()) {
            poll->stop();
            return;
        }
        actions.takeFirst()(*box);
    });
    poll->start();
    const int answer = QtMessageBoxes().show(text, style, title);
    delete poll;
    return answer;
}

BoxAction click(QMessageBox::StandardButton which) {
    return [which](QMessageBox& box) {
        QAbstractButton* button = box.button(which);
        QVERIFY(button != nullptr);
        button->click();
    };
}

}  // namespace

class QtMessageBoxesTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void styleOffersItsButtonsAndAnswers_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QList<int>>("buttons");
        QTest::addColumn<QList<int>>("answers");
        QTest::newRow("18 abort retry ignore")
            << 18 << int(QMessageBox::Critical)
            << QList<int>{QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}
            << QList<int>{3, 4, 5};
        QTest::newRow("21 retry cancel")
            << 21 << int(QMessageBox::Critical)
            << QList<int>{QMessageBox::Retry, QMessageBox::Cancel} << QList<int>{4, 2};
        QTest::newRow("48 exclamation")
            << 48 << int(QMessageBox::Warning) << QList<int>{QMessageBox::Ok} << QList<int>{1};
        QTest::newRow("64 information")
            << 64 << int(QMessageBox::Information) << QList<int>{QMessageBox::Ok} << QList<int>{1};
    }
    void styleOffersItsButtonsAndAnswers() {
        QFETCH(int, style);
        QFETCH(int, icon);
        QFETCH(QList<int>, buttons);
        QFETCH(QList<int>, answers);
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            QList<int> offered;
            int shownIcon = -1;
            const auto inspect = [&](QMessageBox& box) {
                for (QAbstractButton* button : box.buttons()) {
                    offered.append(box.standardButton(button));
                }
                shownIcon = box.icon();
            };
            const auto which = static_cast<QMessageBox::StandardButton>(buttons[i]);
            QCOMPARE(runBox(style, {inspect, click(which)}), answers[i]);
            std::sort(offered.begin(), offered.end());
            QList<int> wanted = buttons;
            std::sort(wanted.begin(), wanted.end());
            QCOMPARE(offered, wanted);
            QCOMPARE(shownIcon, icon);
        }
    }

    void escapeAnswersCancelOrOkWhereThereIsOne_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("answer");
        QTest::newRow("21") << 21 << 2;
        QTest::newRow("48") << 48 << 1;
        QTest::newRow("64") << 64 << 1;
    }
    void escapeAnswersCancelOrOkWhereThereIsOne() {
        QFETCH(int, style);
        QFETCH(int, answer);
        const BoxAction escape = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); };
        QCOMPARE(runBox(style, {escape}), answer);
        const BoxAction closeBox = [](QMessageBox& box) { box.close(); };
        QCOMPARE(runBox(style, {closeBox}), answer);
    }

    void abortRetryIgnoreCannotBeDismissed() {
        bool stillOpen = false;
        const BoxAction escape = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); };
        const BoxAction closeBox = [](QMessageBox& box) { box.close(); };
        const BoxAction check = [&stillOpen](QMessageBox& box) { stillOpen = box.isVisible(); };
        QCOMPARE(runBox(18, {escape, closeBox, check, click(QMessageBox::Ignore)}), 5);
        QVERIFY(stillOpen);
    }

    void textTitleAndParent() {
        QWidget owner;
        owner.show();
        QApplication::setActiveWindow(&owner);
        QVERIFY(QTest::qWaitForWindowActive(&owner));

        QString shownText;
        QString shownTitle;
        QWidget* shownParent = nullptr;
        const BoxAction inspect = [&](QMessageBox& box) {
            shownText = box.text();
            shownTitle = box.windowTitle();
            shownParent = box.parentWidget();
        };
        runBox(48, {inspect, click(QMessageBox::Ok)}, QStringLiteral("first\r\nsecond"),
               QStringLiteral("Comm Error"));
        QCOMPARE(shownText, QStringLiteral("first\nsecond"));
        QCOMPARE(shownTitle, QStringLiteral("Comm Error"));
        QCOMPARE(shownParent, &owner);
    }
};

QTEST_MAIN(QtMessageBoxesTest)
#include "QtMessageBoxesTest.moc"
