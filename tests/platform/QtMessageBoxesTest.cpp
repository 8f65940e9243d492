// Qt message boxes: buttons, icons and answers of each style code, Esc and the close box.
#include "DataColumns.h"
#include "platform/widgets/QtMessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>

using quillmark::BoxAnswer;
using quillmark::BoxStyle;
using quillmark::QtMessageBoxes;
using quillmark::test::columns;

namespace {

using BoxAction = std::function<void(QMessageBox&)>;

// Shows a box and, once it is up, hands it to each action in turn, one event loop pass
// apart; returns the box's answer.
// Styles and answers are the classic numbers: this is where their bits are decoded.
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
    const BoxAnswer answer = QtMessageBoxes().show(text, BoxStyle{style}, title);
    delete poll;
    return static_cast<int>(answer);
}

QAbstractButton* buttonNamed(QMessageBox& box, const QString& caption) {
    for (QAbstractButton* button : box.buttons()) {
        if (button->text() == caption) {
            return button;
        }
    }
    return nullptr;
}

BoxAction click(const QString& caption) {
    return [caption](QMessageBox& box) {
        QAbstractButton* button = buttonNamed(box, caption);
        QVERIFY2(button != nullptr, qPrintable(caption));
        button->click();
    };
}

BoxAction key(Qt::Key which) {
    return [which](QMessageBox& box) { QTest::keyClick(&box, which); };
}

}  // namespace

class QtMessageBoxesTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void styleOffersItsButtonsAndAnswers_data() {
        // buttons: left to right, with access keys
        columns<int, int, QStringList, QList<int>>("style", "icon", "buttons", "answers");
        QTest::newRow("18 abort retry ignore")
            << 18 << int(QMessageBox::Critical) << QStringList{"&Abort", "&Retry", "&Ignore"}
            << QList<int>{3, 4, 5};
        QTest::newRow("21 retry cancel") << 21 << int(QMessageBox::Critical)
                                         << QStringList{"&Retry", "&Cancel"} << QList<int>{4, 2};
        QTest::newRow("48 exclamation")
            << 48 << int(QMessageBox::Warning) << QStringList{"OK"} << QList<int>{1};
        QTest::newRow("64 information")
            << 64 << int(QMessageBox::Information) << QStringList{"OK"} << QList<int>{1};
    }
    void styleOffersItsButtonsAndAnswers() {
        QFETCH(int, style);
        QFETCH(int, icon);
        QFETCH(QStringList, buttons);
        QFETCH(QList<int>, answers);
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            QList<QAbstractButton*> offered;
            QStringList captions;
            int shownIcon = -1;
            const auto inspect = [&](QMessageBox& box) {
                offered = box.buttons();
                std::sort(offered.begin(), offered.end(), [](auto* a, auto* b) {
                    return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
                });
                for (QAbstractButton* button : offered) {
                    captions.append(button->text());
                }
                shownIcon = box.icon();
            };
            QCOMPARE(runBox(style, {inspect, click(buttons[i])}), answers[i]);
            QCOMPARE(captions, buttons);
            QCOMPARE(shownIcon, icon);
        }
    }

    void accessKeysAndEnterChooseButtons_data() {
        columns<int, int, int>("style", "key", "answer");
        QTest::newRow("18 A") << 18 << int(Qt::Key_A) << 3;
        QTest::newRow("18 R") << 18 << int(Qt::Key_R) << 4;
        QTest::newRow("18 Enter is Abort") << 18 << int(Qt::Key_Return) << 3;
        QTest::newRow("18 + 256 Enter is Retry") << 18 + 256 << int(Qt::Key_Return) << 4;
        QTest::newRow("21 C") << 21 << int(Qt::Key_C) << 2;
    }
    void accessKeysAndEnterChooseButtons() {
        QFETCH(int, style);
        QFETCH(int, key);
        QFETCH(int, answer);
        // The key clicks with a short animation; a box still open a second later failed.
        QList<BoxAction> actions{::key(static_cast<Qt::Key>(key))};
        for (int wait = 0; wait < 50; ++wait) {
            actions.append([](QMessageBox&) {});
        }
        bool stuck = false;
        actions.append([&stuck](QMessageBox& box) {
            stuck = true;
            box.buttons().front()->click();
        });
        QCOMPARE(runBox(style, actions), answer);
        QVERIFY(!stuck);
    }

    void tallTextScrollsInsideTheScreen() {
        for (const int lines : {8, 5000}) {
            int height = 0;
            int screenHeight = 0;
            bool scrollsInsteadOfLabel = false;
            const BoxAction inspect = [&](QMessageBox& box) {
                height = box.frameGeometry().height();
                screenHeight = box.screen()->availableGeometry().height();
                scrollsInsteadOfLabel =
                    box.findChild<QPlainTextEdit*>("scrollingText") != nullptr &&
                    !box.findChild<QLabel*>("qt_msgbox_label")->isVisible();
            };
            const QString text = QStringLiteral("About line\r\n").repeated(lines);
            QCOMPARE(runBox(64, {inspect, click("OK")}, text), 1);
            QVERIFY(height <= screenHeight);
            QCOMPARE(scrollsInsteadOfLabel, lines > 8);
        }
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
        runBox(48, {inspect, click("OK")}, QStringLiteral("first\r\nsecond"),
               QStringLiteral("Comm Error"));
        QCOMPARE(shownText, QStringLiteral("first\nsecond"));
        QCOMPARE(shownTitle, QStringLiteral("Comm Error"));
        QCOMPARE(shownParent, &owner);
    }
};

QTEST_MAIN(QtMessageBoxesTest)
#include "QtMessageBoxesTest.moc"
