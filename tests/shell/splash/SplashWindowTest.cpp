// The splash window end to end: real widget, real files in a temporary program directory.
#include "link/SharedState.h"
#include "platform/QtFiles.h"
#include "shell/Splash.h"
#include "shell/SplashWindowWidget.h"
#include "shell/frmSplash.h"

#include "ScriptedMessageBoxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillmark;
using test::ScriptedMessageBoxes;

namespace {

const QString kResources = QStringLiteral(QUILLMARK_RESOURCES_DIR);

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void copyDefaultLogo(const QTemporaryDir& dir) {
    QVERIFY(QFile::copy(kResources + "/Halverd_Logo.gif", dir.filePath("Halverd_Logo.gif")));
}

struct Loaded {
    QtFiles files;
    ScriptedMessageBoxes boxes;
    SharedState state;
    SplashWindowWidget window;
    frmSplash logic{files, boxes, state, window};
    explicit Loaded(const QString& dir) : files(dir) {}

    const QLabel* label(const char* name) const {
        return window.findChild<QLabel*>(QString::fromLatin1(name));
    }
    QFont companyFont() const { return label("lblCompanyName")->font(); }
    bool hasLogo() const {
        const QPixmap logo = label("imgLogo")->pixmap();
        return !logo.isNull();
    }
};

// Runs the whole splash and returns how long it took from the window's creation.
qint64 timedSplash(QtFiles& files, ScriptedMessageBoxes& boxes, SharedState& state) {
    QElapsedTimer clock;
    clock.start();
    ShowSplash(files, boxes, state);
    return clock.elapsed();
}

}  // namespace

class SplashWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void layoutFollowsTheDesign() {
        SplashWindowWidget window;
        const double dpi = window.logicalDpiX();
        const auto px = [dpi](int twips) { return int(std::lround(twips * dpi / 1440.0)); };
        QCOMPARE(window.size(), QSize(px(7164), px(3732)));
        QVERIFY(window.windowFlags().testFlag(Qt::CustomizeWindowHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowTitleHint));
        const auto* logo = window.findChild<QLabel*>("imgLogo");
        QVERIFY(logo);
        QCOMPARE(logo->geometry(), QRect(px(360), px(600), px(1485), px(900)));
        QVERIFY(logo->hasScaledContents());
        const auto* product = window.findChild<QLabel*>("lblProductName");
        QCOMPARE(product->text(), QStringLiteral("Corvane Data Logging"));
        QCOMPARE(product->font().pointSizeF(), 22.2);
        QVERIFY(product->font().bold());
        const auto* version = window.findChild<QLabel*>("lblVersion");
        QCOMPARE(version->text(), QStringLiteral("Version 3.0"));
        QCOMPARE(version->font().pointSizeF(), 12.0);
        QCOMPARE(window.findChild<QLabel*>("lblCopyright")->font().pointSizeF(), 8.4);
        const auto* company = window.findChild<QLabel*>("lblCompanyName");
        QCOMPARE(company->geometry(), QRect(px(2160), px(480), px(4716), px(1332)));
        QCOMPARE(company->font().pointSizeF(), 48.0);
        QVERIFY(company->font().bold() && company->font().italic());
    }

    void noBrandingFileShowsDefaultsAndDefaultLogo() {
        QTemporaryDir dir;
        copyDefaultLogo(dir);
        Loaded splash(dir.path());
        QCOMPARE(splash.logic.Form_Load(), ProcedureEnd::Completed);
        QVERIFY(splash.boxes.shown.isEmpty());
        QCOMPARE(splash.label("lblCompanyName")->text(), QStringLiteral("Halverd"));
        QCOMPARE(splash.companyFont().pointSizeF(), 48.0);
        QVERIFY(splash.companyFont().bold() && splash.companyFont().italic());
        QVERIFY(splash.hasLogo());
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quillmark"));
        QCOMPARE(splash.state.AboutLines.size(), 6);

        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            splash.window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&splash.window));
            QVERIFY(
                splash.window.grab().save(QString::fromLocal8Bit(shots) + "/splash_default.png"));
        }
    }

    void customFileSetsCaptionFontAndLogo() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(kResources + "/Halverd_Logo.gif", dir.filePath("brand.gif")));
        writeFile(dir.filePath("Quillmark.cfg"),
                  "! shop branding\r\nB\xe4r Motors\r\nCourier New\r\n30pt\r\nBold\r\nbrand.gif\r\n"
                  "!\r\nB\xe4r\r\n");
        Loaded splash(dir.path());
        QCOMPARE(splash.logic.Form_Load(), ProcedureEnd::Completed);
        QVERIFY(splash.boxes.shown.isEmpty());
        QCOMPARE(splash.label("lblCompanyName")->text(), QStringLiteral("B\u00e4r Motors"));
        QCOMPARE(splash.companyFont().family(), QStringLiteral("Courier New"));
        QCOMPARE(splash.companyFont().pointSizeF(), 30.0);
        QVERIFY(splash.companyFont().bold());
        QVERIFY(!splash.companyFont().italic());
        QVERIFY(splash.hasLogo());
        QCOMPARE(splash.state.AboutLines, QStringList{QStringLiteral("B\u00e4r")});
    }

    void truncatedFileAnswers_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<QString>("caption");
        QTest::newRow("abort") << int(msg_answer::kAbort) << 1 << QStringLiteral("Halverd");
        // Ignore: items 3 to 5 are missing, so each of steps 6 to 9 reports one more dialog.
        QTest::newRow("ignore") << int(msg_answer::kIgnore) << 5 << QStringLiteral("Acme");
    }
    void truncatedFileAnswers() {
        QFETCH(int, answer);
        QFETCH(int, dialogs);
        QFETCH(QString, caption);
        QTemporaryDir dir;
        writeFile(dir.filePath("Quillmark.cfg"), "Acme\nArial\n");
        Loaded splash(dir.path());
        splash.boxes.defaultAnswer = answer;
        splash.logic.Form_Load();
        QCOMPARE(splash.boxes.shown.size(), dialogs);
        QCOMPARE(
            splash.boxes.shown.first().text,
            "Input past end of file: " + QDir::toNativeSeparators(dir.filePath("Quillmark.cfg")));
        QCOMPARE(splash.label("lblCompanyName")->text(), caption);
        QCOMPARE(splash.state.SplashItems, QStringList({"Acme", "Arial"}));
        QVERIFY(!splash.hasLogo());
    }

    void truncatedFileRetryAfterRepair() {
        QTemporaryDir dir;
        copyDefaultLogo(dir);
        const QString cfg = dir.filePath("Quillmark.cfg");
        writeFile(cfg, "Acme\nArial\n");
        Loaded splash(dir.path());
        splash.boxes.answers = {msg_answer::kRetry};
        splash.boxes.whileOpen = [&] {
            writeFile(cfg, "Acme\nArial\n20\nitalic\nHalverd_Logo.gif\n!\nAcme\n");
        };
        QCOMPARE(splash.logic.Form_Load(), ProcedureEnd::Completed);
        QCOMPARE(splash.boxes.shown.size(), 1);
        QCOMPARE(splash.state.SplashItems.size(), 5);
        QVERIFY(splash.companyFont().italic());
        QVERIFY(splash.hasLogo());
    }

    void notAPictureNamesTheFile() {
        QTemporaryDir dir;
        writeFile(dir.filePath("logo.gif"), "this is text, not a GIF");
        writeFile(dir.filePath("Quillmark.cfg"), "A\nArial\n20\n\nlogo.gif\n!\n");
        Loaded splash(dir.path());
        splash.boxes.defaultAnswer = msg_answer::kIgnore;
        QCOMPARE(splash.logic.Form_Load(), ProcedureEnd::Completed);
        QCOMPARE(splash.boxes.shown.size(), 1);
        QVERIFY(splash.boxes.shown.first().text.contains(
            QDir::toNativeSeparators(dir.filePath("logo.gif"))));
        QVERIFY(!splash.hasLogo());
    }

    void missingLogoStillClosesOnTime() {
        QTemporaryDir dir;  // no Halverd_Logo.gif beside the program
        QtFiles files(dir.path());
        ScriptedMessageBoxes boxes;
        boxes.defaultAnswer = msg_answer::kIgnore;
        SharedState state;
        const qint64 took = timedSplash(files, boxes, state);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown.first().text.contains(
            QDir::toNativeSeparators(dir.filePath("Halverd_Logo.gif"))));
        qInfo("splash with missing logo closed after %lld ms", took);
        QVERIFY2(took >= 3750 && took <= 4250, qPrintable(QString::number(took)));
    }

    void closesAfterFourSecondsWhateverTheUserDoes() {
        QTemporaryDir dir;
        copyDefaultLogo(dir);
        QtFiles files(dir.path());
        ScriptedMessageBoxes boxes;
        SharedState state;
        int pokes = 0;
        bool visibleAfterPokes = false;
        QTimer poke;
        poke.setInterval(300);
        QObject::connect(&poke, &QTimer::timeout, [&] {
            auto* splash = qobject_cast<SplashWindowWidget*>(QApplication::activeModalWidget());
            if (!splash) {
                return;
            }
            QTest::keyClick(splash, Qt::Key_Escape);
            QTest::keyClick(splash, Qt::Key_Return);
            QTest::mouseClick(splash, Qt::LeftButton);
            splash->close();
            ++pokes;
            visibleAfterPokes = splash->isVisible();
        });
        poke.start();
        const qint64 took = timedSplash(files, boxes, state);
        poke.stop();
        qInfo("splash closed after %lld ms (%d rounds of keys, clicks and close requests)", took,
              pokes);
        QVERIFY(pokes >= 5);
        QVERIFY(visibleAfterPokes);
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY2(took >= 3750 && took <= 4250, qPrintable(QString::number(took)));
        QVERIFY(QApplication::topLevelWidgets().isEmpty() || !QApplication::activeModalWidget());
    }

    void timerDuringSlowErrorDialogDoesNotStrandTheSplash() {
        QTemporaryDir dir;  // the missing default logo brings up the dialog
        QtFiles files(dir.path());
        ScriptedMessageBoxes boxes;
        boxes.defaultAnswer = msg_answer::kIgnore;
        // The user takes longer than the splash's life to answer.
        boxes.whileOpen = [] { QTest::qWait(4500); };
        SharedState state;
        const qint64 took = timedSplash(files, boxes, state);
        QVERIFY2(took < 5500, qPrintable(QString::number(took)));
    }
};

QTEST_MAIN(SplashWindowTest)
#include "SplashWindowTest.moc"
