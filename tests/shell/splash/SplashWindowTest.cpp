// The splash window end to end: real widget, real files in a temporary program directory.
#include "DataColumns.h"
#include "platform/QtFiles.h"
#include "shell/splash/BrandingLines.h"
#include "shell/splash/Splash.h"
#include "shell/splash/SplashWindowWidget.h"
#include "shell/splash/frmSplash.h"

#include "ScriptedMessageBoxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillmark;
using quillmark::test::columns;

using test::ScriptedMessageBoxes;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

void copyLogo(const QTemporaryDir& dir, const QString& name) {
    QVERIFY(QFile::copy(QStringLiteral(QUILLMARK_RESOURCES_DIR "/Halverd_Logo.gif"),
                        dir.filePath(name)));
}

struct Loaded {
    QtFiles files;
    ScriptedMessageBoxes boxes;
    BrandingLines branding;
    SplashWindowWidget window;
    frmSplash logic{files, boxes, branding, window};
    explicit Loaded(const QTemporaryDir& dir) : files(dir.path()) {}

    const QLabel* company() const { return window.findChild<QLabel*>("lblCompanyName"); }
    QFont font() const { return company()->font(); }
    bool hasLogo() const { return !window.findChild<QLabel*>("imgLogo")->pixmap().isNull(); }
};

}  // namespace

class SplashWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void defaultsWithoutBrandingFile() {
        QTemporaryDir dir;
        copyLogo(dir, "Halverd_Logo.gif");
        Loaded splash(dir);
        QCOMPARE(splash.logic.Form_Load(), ProcedureEnd::Completed);
        QVERIFY(splash.boxes.shown.isEmpty());
        QCOMPARE(splash.company()->text(), QStringLiteral("Halverd"));
        QCOMPARE(splash.font().pointSizeF(), 48.0);
        QVERIFY(splash.font().bold() && splash.font().italic());
        QVERIFY(splash.hasLogo());
        QCOMPARE(splash.branding.SplashItems.size(), 5);
        QCOMPARE(splash.branding.AboutLines.size(), 6);
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quillmark"));

        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            splash.window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&splash.window));
            QVERIFY(splash.window.grab().save(QString::fromLocal8Bit(shots) + "/splash.png"));
        }
    }

    void customFileSetsCaptionFontAndLogo() {
        QTemporaryDir dir;
        copyLogo(dir, "brand.gif");
        writeFile(
            dir.filePath("Quillmark.cfg"),
            "! shop\r\nB\xe4r Motors\r\nCourier New\r\n30pt\r\nBOLD\r\nbrand.gif\r\n!\r\nB\xe4r");
        Loaded splash(dir);
        QCOMPARE(splash.logic.Form_Load(), ProcedureEnd::Completed);
        QVERIFY(splash.boxes.shown.isEmpty());
        QCOMPARE(splash.company()->text(), QStringLiteral("B\u00e4r Motors"));
        QCOMPARE(splash.font().family(), QStringLiteral("Courier New"));
        QCOMPARE(splash.font().pointSizeF(), 30.0);
        QVERIFY(splash.font().bold() && !splash.font().italic());
        QVERIFY(splash.hasLogo());
        QCOMPARE(splash.branding.AboutLines, QStringList{QStringLiteral("B\u00e4r")});
    }

    void logoKeepsItsShapeCentredInTheBox_data() {
        columns<QSize>("picture");
        QTest::newRow("portrait") << QSize(60, 180);
        QTest::newRow("wide") << QSize(400, 50);
    }
    void logoKeepsItsShapeCentredInTheBox() {
        QFETCH(QSize, picture);
        QTemporaryDir dir;
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(dir.filePath("shape.png")));
        writeFile(dir.filePath("Quillmark.cfg"), "A\nArial\n20\n\nshape.png\n!\n");
        Loaded splash(dir);
        QCOMPARE(splash.logic.Form_Load(), ProcedureEnd::Completed);
        const auto* logo = splash.window.findChild<QLabel*>("imgLogo");
        const QSize box = logo->size();
        const QSize shown = logo->pixmap().deviceIndependentSize().toSize();
        const QSize fitted = picture.scaled(box, Qt::KeepAspectRatio);
        QVERIFY(qAbs(shown.width() - fitted.width()) <= 1);
        QVERIFY(qAbs(shown.height() - fitted.height()) <= 1);
        QVERIFY(shown.width() == box.width() || shown.height() == box.height());
        QCOMPARE(logo->alignment() & Qt::AlignCenter, Qt::AlignCenter);
    }

    void truncatedFile_data() {
        columns<BoxAnswer, int, QString, int>("answer", "dialogs", "caption", "items");
        QTest::newRow("abort") << BoxAnswer::Abort << 1 << "Halverd" << 2;
        // The user mends the file while the dialog is open; it is read afresh, not appended.
        QTest::newRow("retry") << BoxAnswer::Retry << 1 << "Acme" << 5;
        // Items 3 to 5 are then missing: one more dialog for each of the four steps using them.
        QTest::newRow("ignore") << BoxAnswer::Ignore << 5 << "Acme" << 2;
    }
    void truncatedFile() {
        QFETCH(BoxAnswer, answer);
        QFETCH(int, dialogs);
        QFETCH(QString, caption);
        QFETCH(int, items);
        QTemporaryDir dir;
        copyLogo(dir, "Halverd_Logo.gif");
        const QString cfg = dir.filePath("Quillmark.cfg");
        writeFile(cfg, "Acme\nArial\n");
        Loaded splash(dir);
        splash.boxes.answers = {answer};
        splash.boxes.defaultAnswer = BoxAnswer::Ignore;
        splash.boxes.whileOpen = [&] { writeFile(cfg, "Acme\nArial\n9\n\nHalverd_Logo.gif\n!\n"); };
        splash.logic.Form_Load();
        QCOMPARE(splash.boxes.shown.size(), dialogs);
        QCOMPARE(splash.boxes.shown.first().text,
                 "Input past end of file: " + QDir::toNativeSeparators(cfg));
        QCOMPARE(splash.company()->text(), caption);
        QCOMPARE(splash.branding.SplashItems.size(), items);
        QVERIFY(splash.branding.AboutLines.isEmpty());
        QCOMPARE(splash.hasLogo(), items == 5);
    }

    void notAPictureNamesTheFile() {
        QTemporaryDir dir;
        writeFile(dir.filePath("logo.gif"), "this is text, not a GIF");
        writeFile(dir.filePath("Quillmark.cfg"), "A\nArial\n20\n\nlogo.gif\n!\n");
        Loaded splash(dir);
        splash.boxes.defaultAnswer = BoxAnswer::Ignore;
        QCOMPARE(splash.logic.Form_Load(), ProcedureEnd::Completed);
        QCOMPARE(splash.boxes.shown.size(), 1);
        QVERIFY(splash.boxes.shown.first().text.contains(
            QDir::toNativeSeparators(dir.filePath("logo.gif"))));
        QVERIFY(!splash.hasLogo());
    }

    void closesFourSecondsAfterCreation_data() {
        // Load only ever makes the splash close later: `latest` is far past the due time, short
        // of a second four seconds (a timer started again, or only after the box).
        columns<bool, int, qint64, qint64>("logo", "answerAfterMs", "earliest", "latest");
        QTest::newRow("defaults, user pokes at it") << true << 0 << 3750ll << 7500ll;
        QTest::newRow("missing logo") << false << 0 << 3750ll << 7500ll;
        // The time runs out while the error dialog is still open: the splash must not be left
        // on screen with no timer to close it.
        QTest::newRow("slow answer") << false << 4500 << 4400ll << 8000ll;
    }
    void closesFourSecondsAfterCreation() {
        QFETCH(bool, logo);
        QFETCH(int, answerAfterMs);
        QFETCH(qint64, earliest);
        QFETCH(qint64, latest);
        QTemporaryDir dir;
        if (logo) {
            copyLogo(dir, "Halverd_Logo.gif");
        }
        QtFiles files(dir.path());
        ScriptedMessageBoxes boxes;
        boxes.defaultAnswer = BoxAnswer::Ignore;
        boxes.whileOpen = [answerAfterMs] { QTest::qWait(answerAfterMs); };
        BrandingLines branding;
        int pokes = 0;
        QTimer poke;
        QObject::connect(&poke, &QTimer::timeout, [&] {
            if (auto* splash =
                    qobject_cast<SplashWindowWidget*>(QApplication::activeModalWidget())) {
                QTest::keyClick(splash, Qt::Key_Escape);
                QTest::keyClick(splash, Qt::Key_Return);
                QTest::mouseClick(splash, Qt::LeftButton);
                splash->close();
                pokes += splash->isVisible() ? 1 : 0;
            }
        });
        poke.start(300);
        QElapsedTimer clock;
        clock.start();
        showSplash(files, boxes, branding);
        const qint64 took = clock.elapsed();
        qInfo("splash closed after %lld ms; survived %d rounds of Esc, Enter, click, close", took,
              pokes);
        QCOMPARE(boxes.shown.size(), logo ? 0 : 1);
        QVERIFY2(took >= earliest && took <= latest, qPrintable(QString::number(took)));
        if (answerAfterMs == 0) {
            QVERIFY(pokes >= 10);
        }
    }
};

QTEST_MAIN(SplashWindowTest)
#include "SplashWindowTest.moc"
