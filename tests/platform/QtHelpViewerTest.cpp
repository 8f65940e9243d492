// Help, Contents on a machine without a CHM viewer: the program's own window; and the help's
// message table, kept complete against the texts the program can show.
#include "DataColumns.h"
#include "platform/widgets/HelpWindow.h"
#include "platform/widgets/QtHelpViewer.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QWidget>
#include <QtTest>

#include <algorithm>
#include <optional>

using namespace quillmark;
using quillmark::test::columns;

namespace {

// Texts of several words in the sources that never reach a message box: captions, fonts,
// branding defaults, model names, status lines, error sources, Qt's "Unknown error" (replaced
// by a reason of our own) and pieces of longer messages. A new text shown to the user gets its
// row in help/messages.html instead of a place here.
const QStringList kNotMessages =
    QString::fromUtf8(
        "Corvane II|Corvane II VR|Corvane Data Logging|Corvane Data Logging Program Version 3.0|"
        "Corvane Data Logging Program Revision 3.00|Version 3.0|Copyright \\u00A9 Halverd LLC|"
        "Halverd LLC|2180 Quarry Mill Road|Fernhollow, OR 97999|Phone: (555) 014-2768|"
        "bold italic|MS Sans Serif|Liberation Sans|Engine Running|Engine Off|Basic Mode|"
        "Advanced Mode|Swap Mode|Ombrix Real Time Data|View &Real Time Data|&Port Setup|"
        "Data Port Setup|FRONT CYLINDER|REAR CYLINDER|INJ PW|BAT V|x 1000|Quillmark Help|"
        "Comm Error|Serial Port|Port setup|Unknown error|%1: %2|%1 refused (%2)|%1 bit/s|"
        "%1 data bits|the list is empty|entries 0 to %1|"
        "kReads needs one row per Quantity, in enum order|"
        // Recording, chart and playback: menu entries, window and lane captions, the file's
        // header, the file dialog's filter and the recording line's colour.
        "Start &Recording|Stop &Recording|&Open Recording\\u2026|Playback of %1|REC %1 %2|"
        "Row %1 of %2|Time (min:s)|Time (h:min:s)|no reading|Fuel front|Fuel rear|"
        "Injector front|Injector rear|"
        "Recordings (*.csv);;All files (*)|color: rgb(255, 48, 48); background: black;|"
        "Add &Marker|&Export Recording\\u2026|MLG logs, version 2 (*.mlg)|"
        "MLG logs, version 1 for older viewers (*.mlg)|Export Recording: Choose the Recording|"
        "Export Recording: Save the Log As|Quillmark recording %1 Capture "
        "Date: %2|"
        "Time (s),Clock,Status (raw),Status|Engine speed (rpm)|Throttle (%)|Fuel front (%)|"
        "Fuel rear (%)|Battery (V)|Injector front (ms)|Injector rear (ms)|Retard (deg)|"
        // The time-at-cell table: menu entry, window title, captions and its lines.
        "&Time at Cell\\u2026|Time at Cell|&Mean of:|rpm \\ throttle|%1\\u2013%2 %|"
        "%1 counted from %2, one every %3 s|1 row|%1 rows|Waiting for the first update of the "
        "panel|"
        "Each cell: the time spent there, and the mean under it. Click a cell to mark its "
        "samples on the chart.|"
        "Engine speed|Fuel front|Fuel rear|Injector front|Injector rear|"
        // Runs compared on the chart: the window's buttons, the dialog's captions and the
        // legend's pieces.
        "Compare With\\u2026|Clear Comparison|Recordings to lay over %1 (up to three):|"
        "Line the runs up:|At their &starts|At &marker|Where engine speed first comes &up to|"
        "aligned %1|at their starts|at marker %1|at the first crossing of %1 rpm|%1 (%2%3 s)|"
        "<span style=\"color:%1\">&#9632;</span>&nbsp;%2|"
        "Up to three recordings are compared; left out: %1.|Differences to %1|"
        "The run the differences are measured against|"
        // The chart's list of markers and its context menu.
        "Marker %1|Alarm A%1|&Fit Scales to the Data in View|"
        // The logger's help text, its status line and states, a guard no run reaches, the
        // pieces of its sizes, its time stamp, its version and what it tells systemd.
        "Usage: quillmark-logger [OPTION]... Records a Corvane engine module's live data to "
        "files, without a window.|"
        "Without --port or --device the port chosen in the window is used. SIGTERM or SIGINT "
        "finish the current file and end the logger; SIGHUP starts a new file; SIGUSR1 puts a "
        "marker on the next sample, and starts a file if none is open.|"
        "read the module on ComN, mapped as in the window|read the module on this serial device|"
        "folder for the recordings (default: the window's)|"
        "time between samples (default 500); fast: back to back|"
        "a file starts when engine speed reaches this (default 0: at once)|"
        "a file ends when engine speed stays below this (default and most: the start value)|"
        "seconds below the stop value, or without samples, that end a file (default 10)|"
        "samples of this many seconds before the start open the file (default 5; at most 600 s "
        "and 24000 samples)|"
        "rows reach the disk at least this often (default 1)|show this help and exit|"
        "the oldest finished recordings are removed to keep this much of the disk free "
        "(default 5% with --out, else 0; 0: never)|"
        "the oldest finished recordings are removed to keep all of them within this (default: "
        "no limit); SIZE is bytes, or with K, M, G or T|show the version and exit|"
        "%1; %2; %3 rows; %4 samples/s; %5 rpm|waiting for the start speed|link lost|"
        "write failed|no file|quillmark-logger: %s|quillmark-logger %s|no file is open|"
        "%1 GB|%1 MB|%1% of the disk free (%2)|, all recordings within %1|"
        "yyyy-MM-dd HH:mm:ss|READY=1 STATUS=|"
        // The alarms: the value names, the dialog's explanation and the logger's option.
        "Engine speed|"
        "A value below its low limit or above its high limit shows on its gauge in red and on "
        "the line under the panel. Leave a field empty for no limit; type numbers with a point.|"
        "alarm limits from this file (default: the window's)|"
        // The logger's MQTT options in its help text.
        "publish to an MQTT broker, mqtt://[USER@]HOST[:PORT]/PREFIX or mqtts://|"
        "check the mqtts:// broker against these certificates (default: the system's)|"
        "the broker password: the first line of this file|publish every Nth sample (default 1)|"
        // The web dashboard: its option help, the link line (a row of its own in the help),
        // and what the server answers a browser or script: headers, types, short refusals,
        // the page's one text without the token, and the scales module.
        "serve the web dashboard on this port (ADDR default 127.0.0.1; 0.0.0.0 for every "
        "network)|the dashboard's access token (default: http-token in the state folder; made "
        "when missing)|serve https and wss with this PEM certificate|"
        "the PEM private key of --tls-cert|quillmark-logger: web dashboard: %s|"
        "; Path=/; HttpOnly; SameSite=Strict|; Secure|attachment; filename*=UTF-8''|"
        "Cache-Control: no-store X-Content-Type-Options: nosniff|Referrer-Policy: no-referrer|"
        "default-src 'self'; connect-src 'self'; img-src 'self' data:; frame-ancestors 'none'; "
        "base-uri 'none'; form-action 'self'|text/css; charset=utf-8|text/csv; charset=utf-8|"
        "text/html; charset=utf-8|text/javascript; charset=utf-8|text/plain; charset=utf-8|"
        "Expected width=1..2000 and from<to in seconds|Marker text too long|Method not allowed|"
        "Not found|The file is not a recording that opens|Too many requests|Unknown format|"
        "WebSocket only|too many live clients|export const scales =|"
        "Request too large|Request header too large|HTTP/1.1 413 Payload Too Large|"
        "HTTP/1.1 431 Request Header Fields Too Large|"
        "Content-Type: text/plain; charset=utf-8 Connection: close Content-Length:|"
        // The names of the dashboard's threads, seen only in a process list.
        "chart indexes|web charts|"
        "<!doctype html><meta charset=utf-8><meta name=viewport content=\"width=device-width\">"
        "<title>Quillmark</title><p>This page needs its link with the access token.</p><p>"
        "quillmark-logger prints the link, and a QR code on a terminal, when it starts: see its "
        "output, or <code>journalctl -u quillmark-logger</code> where it runs as a service. The "
        "token is also in the logger's token file (<code>http-token</code> in its state "
        "folder).</p>")
        .split('|');

QString collapsed(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed();
}

// Line breaks read as blanks; \" and \\ as the character; other escapes stay as written.
QString unescaped(QString literal) {
    literal.replace(QRegularExpression(QStringLiteral("\\\\[nrt]")), QStringLiteral(" "));
    return literal.replace(QRegularExpression(QStringLiteral("\\\\([\"\\\\])")),
                           QStringLiteral("\\1"));
}

// The string literals of one source file, pieces that the compiler joins joined, comments and
// character literals skipped. A literal inside a message box call counts even as one word (the
// titles "Error" and "About").
QMap<QString, bool> literalsOf(const QString& source) {
    QMap<QString, bool> found;
    QString statement;
    std::optional<QString> pending;
    bool pendingInShow = false;
    auto flush = [&] {
        if (pending) {
            found[collapsed(unescaped(*pending))] |= pendingInShow;
            pending.reset();
        }
    };
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source[i];
        if (c == '/' && source.mid(i, 2) == QLatin1String("//")) {
            i = source.indexOf('\n', i);
            if (i < 0) {
                break;
            }
        } else if (c == '/' && source.mid(i, 2) == QLatin1String("/*")) {
            i = source.indexOf(QLatin1String("*/"), i + 2) + 1;
            if (i <= 0) {
                break;
            }
        } else if (c == '"' || c == '\'') {
            qsizetype end = i + 1;
            while (end < source.size() && source[end] != c) {
                end += source[end] == '\\' ? 2 : 1;
            }
            // A compile-time assertion's text is for developers and never reaches a box.
            if (c == '"' && !statement.contains(QLatin1String("static_assert("))) {
                pending = pending.value_or(QString()) + source.mid(i + 1, end - i - 1);
                pendingInShow =
                    statement.contains(QRegularExpression(QStringLiteral("\\bshow\\s*\\(")));
            }
            i = end;
        } else if (!c.isSpace()) {
            flush();
            statement = c == ';' || c == '{' || c == '}' ? QString() : statement + c;
        }
    }
    flush();
    return found;
}

// Every text that may reach the user, with the file it was found in.
QMap<QString, QString> shownTexts() {
    QMap<QString, QString> texts;
    QDirIterator files(QStringLiteral(QUILLMARK_SOURCE_DIR), {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const auto literals = literalsOf(QString::fromUtf8(file.readAll()));
        for (auto it = literals.begin(); it != literals.end(); ++it) {
            const bool words = it.key().contains(' ') || it.value();
            if (words && !kNotMessages.contains(it.key()) &&
                it.key().contains(QRegularExpression(QStringLiteral("[A-Za-z]")))) {
                texts.insert(it.key(), QFileInfo(file).fileName());
            }
        }
    }
    return texts;
}

// The plain text of every message and box-title cell of the help's message table.
QStringList helpMessageCells() {
    QFile file(QStringLiteral(QUILLMARK_HELP_DIR "/messages.html"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString html = QString::fromUtf8(file.readAll());
    static const QRegularExpression cell(
        QStringLiteral("<(td|li) class=\"(?:msg|box)\">(.*?)</\\1>"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QStringList cells;
    for (auto m = cell.globalMatch(html); m.hasNext();) {
        QString text = m.next().captured(2).remove(tag);
        text.replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        cells << collapsed(text);
    }
    return cells;
}

}  // namespace

class HelpViewerTest final : public QObject {
    Q_OBJECT

private slots:
    void systemViewerWinsWhenItTakesTheFile() {
        QWidget mainWindow;
        QStringList handed;
        QtHelpViewer viewer(&mainWindow, [&handed](const QString& path) {
            handed << path;
            return true;
        });
        viewer.openContents("/opt/q/Quillmark_Help.chm");
        QCOMPARE(handed, QStringList{"/opt/q/Quillmark_Help.chm"});
        QVERIFY(!viewer.helpWindow());
    }

    void slowDesktopQueryNeverHoldsUpTheWindow() {
        // An xdg-mime that takes its time, as on a desktop still starting up.
        QTemporaryDir bin;
        QFile script(bin.filePath("xdg-mime"));
        QVERIFY(script.open(QIODevice::WriteOnly) &&
                script.write("#!/bin/sh\nsleep 20\necho x\n") > 0);
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        QWidget mainWindow;
        QtHelpViewer viewer(&mainWindow);
        qputenv("PATH", path);

        QTemporaryDir dir;
        QFile chm(dir.filePath("Quillmark_Help.chm"));
        QVERIFY(chm.open(QIODevice::WriteOnly));
        chm.close();
        QElapsedTimer clock;
        clock.start();
        for (int click = 0; click < 3; ++click) {
            viewer.openContents(chm.fileName());
        }
        // A viewer that waited for the query would take 5 s on the first click, until the
        // query is given up on, or the query's full 20 s; the clicks take milliseconds.
        qInfo("three clicks took %lld ms", static_cast<long long>(clock.elapsed()));
        QVERIFY2(clock.elapsed() < 4500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(viewer.helpWindow() && viewer.helpWindow()->isVisible());
    }

    void ownWindowShowsTheContentsPage() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("help"));
        for (const QString& name : QDir(QUILLMARK_HELP_DIR).entryList({"*.html", "*.css"})) {
            QVERIFY(QFile::copy(QString(QUILLMARK_HELP_DIR) + "/" + name,
                                dir.filePath("help/" + name)));
        }
        QWidget mainWindow;
        QtHelpViewer viewer(&mainWindow, [](const QString&) { return false; });
        viewer.openContents(dir.filePath("Quillmark_Help.chm"));
        HelpWindow* window = viewer.helpWindow();
        QVERIFY(window);
        QCOMPARE(window->parent(), &mainWindow);
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QCOMPARE(window->source(), QUrl::fromLocalFile(dir.filePath("help/index.html")));
        QVERIFY(window->toPlainText().contains("Contents"));
        // The page's title names the window and its style sheet colours the heading.
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillmark Help - Contents"));
        const QTextBlock heading = window->document()->begin();
        QCOMPARE(heading.text(), QStringLiteral("Quillmark Help - Contents"));
        QCOMPARE(heading.begin().fragment().charFormat().foreground().color(),
                 QColor(0x1f, 0x3b, 0x5c));
        if (const QByteArray shots = qgetenv("QUILLMARK_SCREENSHOT_DIR"); !shots.isEmpty()) {
            QVERIFY(window->grab().save(QString::fromLocal8Bit(shots) + "/help.png"));
        }

        // Every link of the contents page leads to a page that exists.
        const QString html = QString::fromUtf8([&] {
            QFile f(dir.filePath("help/index.html"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }());
        static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+\\.html)"));
        int links = 0;
        for (auto m = link.globalMatch(html); m.hasNext();) {
            const QString target = m.next().captured(1);
            QVERIFY2(QFileInfo::exists(dir.filePath("help/" + target)), qPrintable(target));
            ++links;
        }
        QVERIFY(links >= 4);

        // A second use reuses the window instead of stacking new ones.
        window->close();
        viewer.openContents(dir.filePath("Quillmark_Help.chm"));
        QCOMPARE(viewer.helpWindow(), window);
        QVERIFY(window->isVisible());
    }

    void sourceScan_findsMessagesAndTitlesButNotComments() {
        const auto found = literalsOf(QStringLiteral(
            "// \"Com7: no such device\"\nconst QString k = QStringLiteral(\"Cannot \"\n"
            "    \"establish\\r\\n\"); char q = '\"'; boxes.show(k, 18,\n"
            "QStringLiteral(\"Error\")); x(\"Overflow\");"));
        QCOMPARE(found.keys(), (QStringList{"Cannot establish", "Error", "Overflow"}));
        QVERIFY(found.value("Error") && !found.value("Overflow"));
        QVERIFY(shownTexts().contains(
            QStringLiteral("Cannot establish RS-232 link. Check cable and module power.")));
    }

    // A message or box title the program can show has its row in the help's message table:
    // the text as in the source, each %1 standing for any text (an example or an <i>item</i>).
    void everyShownTextHasItsRowInTheHelp_data() {
        columns<QString>("text");
        const auto texts = shownTexts();
        for (auto it = texts.begin(); it != texts.end(); ++it) {
            QTest::newRow(qPrintable(it.value() + ": " + it.key())) << it.key();
        }
    }
    void everyShownTextHasItsRowInTheHelp() {
        QFETCH(QString, text);
        static const QStringList cells = helpMessageCells();
        QVERIFY(!cells.isEmpty());
        const QString pattern = QRegularExpression::escape(text).replace(
            QRegularExpression(QStringLiteral("\\\\%[1-9]")), QStringLiteral(".+"));
        const QRegularExpression row(pattern);
        QVERIFY2(std::any_of(cells.begin(), cells.end(),
                             [&](const QString& cell) { return row.match(cell).hasMatch(); }),
                 qPrintable("no row in help/messages.html for: " + text));
    }
};

QTEST_MAIN(HelpViewerTest)
#include "QtHelpViewerTest.moc"
