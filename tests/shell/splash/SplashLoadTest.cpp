// The splash load against recorded controls, files in memory and scripted dialog answers.
#include "link/SharedState.h"
#include "platform/ErrorRecord.h"
#include "platform/Files.h"
#include "shell/frmSplash.h"

#include "ScriptedMessageBoxes.h"

#include <QtTest>

#include <map>

using namespace quillmark;
using test::ScriptedMessageBoxes;

namespace {

const QString kDir = QStringLiteral("/prog");
const QString kCfg = kDir + QDir::separator() + QStringLiteral("Quillmark.cfg");

class MemoryFiles final : public Files {
public:
    std::map<QString, QByteArray> files;
    int reads = 0;

    QString programDirectory() const override { return kDir; }
    bool exists(const QString& path) const override { return files.count(path) != 0; }
    QByteArray readAll(const QString& path) const override {
        ++const_cast<MemoryFiles*>(this)->reads;
        const auto found = files.find(path);
        if (found == files.end()) {
            throw RaisedError::platform(QStringLiteral("test"), QStringLiteral("gone: ") + path);
        }
        return found->second;
    }
    void setCurrentDirectory(const QString&) override {}
};

// Remembers every call in order, as the widget would show them.
class RecordedControls final : public SplashControls {
public:
    QStringList calls;
    QStringList pictures;  // paths that load
    int unloads = 0;

    void setCompanyCaption(const QString& caption) override { calls << "caption:" + caption; }
    void setCompanyFontName(const QString& face) override { calls << "face:" + face; }
    void setCompanyFontSize(double points) override { calls << "size:" + QString::number(points); }
    void setCompanyFontBold(bool bold) override { calls << QString("bold:%1").arg(bold); }
    void setCompanyFontItalic(bool italic) override { calls << QString("italic:%1").arg(italic); }
    void loadLogo(const QString& path) override {
        calls << "logo:" + path;
        if (!pictures.contains(path)) {
            throw RaisedError::platform(QStringLiteral("test"),
                                        QStringLiteral("no picture ") + path);
        }
    }
    void setApplicationTitle(const QString& title) override { calls << "title:" + title; }
    void unload() override { ++unloads; }
};

struct Fixture {
    MemoryFiles files;
    ScriptedMessageBoxes boxes;
    SharedState state;
    RecordedControls controls;
    frmSplash splash{files, boxes, state, controls};
};

QString inDir(const char* name) {
    return kDir + QDir::separator() + QString::fromLatin1(name);
}

}  // namespace

class SplashLoadTest final : public QObject {
    Q_OBJECT

private slots:
    void withoutFileUsesAllDefaults() {
        Fixture f;
        f.controls.pictures << inDir("Halverd_Logo.gif");
        QCOMPARE(f.splash.Form_Load(), ProcedureEnd::Completed);
        QCOMPARE(f.state.SplashItems.size(), 5);
        QCOMPARE(f.state.AboutLines.size(), 6);
        QCOMPARE(f.controls.calls,
                 QStringList({"caption:Halverd", "face:Arial", "size:48", "bold:1", "italic:1",
                              "logo:" + inDir("Halverd_Logo.gif"), "title:Quillmark"}));
        QVERIFY(f.boxes.shown.isEmpty());
        QCOMPARE(f.files.reads, 0);
    }

    void customFileAppliedInOrder() {
        Fixture f;
        f.files.files[kCfg] =
            "!c\r\nAcme Motors\r\nTimes\r\n12abc\r\nITALIC\r\nnull\r\n!\r\nAcme\r\n";
        QCOMPARE(f.splash.Form_Load(), ProcedureEnd::Completed);
        QCOMPARE(f.controls.calls, QStringList({"caption:Acme Motors", "face:Times", "size:12",
                                                "bold:0", "italic:1", "title:Quillmark"}));
        QCOMPARE(f.state.AboutLines, QStringList{"Acme"});
        QVERIFY(f.boxes.shown.isEmpty());
    }

    void nullWithBlankIsAFileName() {
        Fixture f;
        f.files.files[kCfg] = "A\nArial\n10\n\nNULL \n!\n";
        QCOMPARE(f.splash.Form_Load(), ProcedureEnd::Aborted);
        QCOMPARE(f.boxes.texts(), QStringList{"no picture " + inDir("NULL ")});
        QVERIFY(!f.controls.calls.contains("title:Quillmark"));
    }

    void truncatedFileAbortKeepsPartialItems() {
        Fixture f;
        f.files.files[kCfg] = "Acme\nArial\n";
        f.boxes.answers = {msg_answer::kAbort};
        QCOMPARE(f.splash.Form_Load(), ProcedureEnd::Aborted);
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown.first().text,
                 "Input past end of file: " + QDir::toNativeSeparators(kCfg));
        QCOMPARE(f.boxes.shown.first().title, QStringLiteral("Error"));
        QCOMPARE(f.boxes.shown.first().style, msg_style::kAbortRetryIgnoreCritical);
        QCOMPARE(f.state.SplashItems, QStringList({"Acme", "Arial"}));
        QVERIFY(f.state.AboutLines.isEmpty());
        QVERIFY(f.controls.calls.isEmpty());
    }

    void truncatedFileRetryReadsTheFixedFileOnce() {
        Fixture f;
        f.files.files[kCfg] = "Acme\nArial\n";
        f.boxes.answers = {msg_answer::kRetry};
        // The user mends the file while the dialog is open.
        f.boxes.whileOpen = [&f] { f.files.files[kCfg] = "Acme\nArial\n30\nbold\nNULL\n!\nA\n"; };
        QCOMPARE(f.splash.Form_Load(), ProcedureEnd::Completed);
        QCOMPARE(f.files.reads, 2);
        QCOMPARE(f.state.SplashItems, QStringList({"Acme", "Arial", "30", "bold", "NULL"}));
        QCOMPARE(f.state.AboutLines, QStringList{"A"});
        QCOMPARE(f.controls.calls.first(), QStringLiteral("caption:Acme"));
    }

    void truncatedFileIgnoreEndsReadingAndReportsMissingItems() {
        Fixture f;
        f.files.files[kCfg] = "!only\r\nAcme\r\nArial\r\n";
        f.boxes.defaultAnswer = msg_answer::kIgnore;
        QCOMPARE(f.splash.Form_Load(), ProcedureEnd::Completed);
        // One past-end dialog, then one for each step that needs item 3, 4 (twice) or 5;
        // no defaults fill the gap and nothing is stored twice.
        QCOMPARE(f.boxes.shown.size(), 5);
        QVERIFY(f.boxes.shown.at(0).text.startsWith("Input past end of file"));
        for (int i = 1; i < 5; ++i) {
            QVERIFY2(f.boxes.shown.at(i).text.contains(QDir::toNativeSeparators(kCfg)),
                     qPrintable(f.boxes.shown.at(i).text));
        }
        QVERIFY(f.boxes.shown.at(1).text.contains("font size"));
        QVERIFY(f.boxes.shown.at(4).text.contains("logo"));
        QCOMPARE(f.state.SplashItems, QStringList({"Acme", "Arial"}));
        QVERIFY(f.state.AboutLines.isEmpty());
        QCOMPARE(f.controls.calls, QStringList({"caption:Acme", "face:Arial", "title:Quillmark"}));
    }

    void commentsOnlyIgnoreLeavesListsEmpty() {
        Fixture f;
        f.files.files[kCfg] = "!a\n!b\n";
        f.boxes.answers = {msg_answer::kIgnore, msg_answer::kAbort};
        QCOMPARE(f.splash.Form_Load(), ProcedureEnd::Aborted);
        QCOMPARE(f.boxes.shown.size(), 2);
        QVERIFY(f.boxes.shown.at(1).text.contains("company name"));
        QVERIFY(f.state.SplashItems.isEmpty());
        QVERIFY(f.state.AboutLines.isEmpty());
    }

    void missingLogoIsReportedThenLoadGoesOn() {
        Fixture f;
        f.files.files[kCfg] = "A\nArial\n20\nbold\nlogo.png\n!\n";
        f.boxes.answers = {msg_answer::kIgnore};
        QCOMPARE(f.splash.Form_Load(), ProcedureEnd::Completed);
        QCOMPARE(f.boxes.texts(), QStringList{"no picture " + inDir("logo.png")});
        QCOMPARE(f.controls.calls.last(), QStringLiteral("title:Quillmark"));
    }

    void unloadTimerClosesOnce() {
        Fixture f;
        QVERIFY(!f.splash.unloaded());
        f.splash.tmrSplashUnload_Timer();
        f.splash.tmrSplashUnload_Timer();
        QCOMPARE(f.controls.unloads, 1);
        QVERIFY(f.splash.unloaded());
    }
};

QTEST_GUILESS_MAIN(SplashLoadTest)
#include "SplashLoadTest.moc"
