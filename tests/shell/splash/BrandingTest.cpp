// The branding file reader, the splash item rules and the About text.
#include "DataColumns.h"
#include "shell/splash/AboutText.h"
#include "shell/splash/Branding.h"

#include <QtTest>

using namespace quillmark;
using quillmark::test::columns;

namespace {

QStringList lines(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts) {
        list.append(QString::fromLatin1(text));
    }
    return list;
}

}  // namespace

class BrandingTest final : public QObject {
    Q_OBJECT

private slots:
    void readsBothSections_data() {
        columns<QByteArray, QStringList, QStringList>("bytes", "splashItems", "aboutLines");

        QTest::newRow("two comments first")
            << QByteArray("!one\r\n!two\r\nAcme\r\nTimes\r\n!\r\nA1\r\nA2\r\n")
            << lines({"Acme", "Times"}) << lines({"A1", "A2"});
        QTest::newRow("empty first item")
            << QByteArray("!c\n\nArial\n!\nX\n") << lines({"", "Arial"}) << lines({"X"});
        QTest::newRow("blank then ! is an item")
            << QByteArray("Acme\n !x\n!sep\nX\n") << lines({"Acme", " !x"}) << lines({"X"});
        QTest::newRow("second ! line is an About line")
            << QByteArray("Acme\n!sep\n!kept\n\nlast\n") << lines({"Acme"})
            << lines({"!kept", "", "last"});
        QTest::newRow("ends at the separator")
            << QByteArray("Acme\nArial\n!\r\n") << lines({"Acme", "Arial"}) << QStringList();
        QTest::newRow("separator without line break")
            << QByteArray("Acme\n!") << lines({"Acme"}) << QStringList();
        QTest::newRow("seven items") << QByteArray("1\n2\n3\n4\n5\n6\n7\n!\nA\n")
                                     << lines({"1", "2", "3", "4", "5", "6", "7"}) << lines({"A"});
        QTest::newRow("mixed CR LF and LF") << QByteArray("a\r\nb\nc\r\n!\nd\r\ne\n")
                                            << lines({"a", "b", "c"}) << lines({"d", "e"});
        QTest::newRow("last line without ending")
            << QByteArray("a\n!\nd\ne") << lines({"a"}) << lines({"d", "e"});
        QTest::newRow("trailing blank About line kept")
            << QByteArray("a\n!\nd\n\n") << lines({"a"}) << lines({"d", ""});
        QTest::newRow("lone CR stays in the line")
            << QByteArray("a\rb\n!\n") << lines({"a\rb"}) << QStringList();
        QTest::newRow("byte above 127 is Latin-1")
            << QByteArray("M\xfcller\n!\nZ\xe9ro \xa9\n")
            << QStringList{QStringLiteral("M\u00fcller")}
            << QStringList{QStringLiteral("Z\u00e9ro \u00a9")};
        QTest::newRow("valid UTF-8 is UTF-8")
            << QByteArray("M\xc3\xbcller GmbH\n!\n\xc2\xa9 2024\n")
            << QStringList{QStringLiteral("M\u00fcller GmbH")}
            << QStringList{QStringLiteral("\u00a9 2024")};
        QTest::newRow("byte-order mark skipped")
            << QByteArray("\xef\xbb\xbf!comment\nAcme\n!\nA1\n") << lines({"Acme"})
            << lines({"A1"});
        QTest::newRow("one invalid UTF-8 byte makes it all Latin-1")
            << QByteArray("M\xc3\xbcller\n!\n\xfc\n")
            << QStringList{QStringLiteral("M\u00c3\u00bcller")}
            << QStringList{QStringLiteral("\u00fc")};
    }
    void readsBothSections() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, splashItems);
        QFETCH(QStringList, aboutLines);
        const BrandingContents contents = readBranding(bytes);
        QCOMPARE(contents.pastEnd, BrandingPastEnd::None);
        QCOMPARE(contents.splashItems, splashItems);
        QCOMPARE(contents.aboutLines, aboutLines);
    }

    void readingPastTheEndKeepsWhatWasRead_data() {
        columns<QByteArray, int, QStringList>("bytes", "pastEnd", "splashItems");

        QTest::newRow("empty file")
            << QByteArray() << int(BrandingPastEnd::BeforeFirstItem) << QStringList();
        QTest::newRow("comments only")
            << QByteArray("!a\r\n!b\r\n") << int(BrandingPastEnd::BeforeFirstItem) << QStringList();
        QTest::newRow("no separator")
            << QByteArray("Acme\nArial\n48\n") << int(BrandingPastEnd::BeforeSeparator)
            << lines({"Acme", "Arial", "48"});
        QTest::newRow("no separator, no final break")
            << QByteArray("!c\nAcme") << int(BrandingPastEnd::BeforeSeparator) << lines({"Acme"});
    }
    void readingPastTheEndKeepsWhatWasRead() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, pastEnd);
        QFETCH(QStringList, splashItems);
        const BrandingContents contents = readBranding(bytes);
        QCOMPARE(int(contents.pastEnd), pastEnd);
        QCOMPARE(contents.splashItems, splashItems);
        QVERIFY(contents.aboutLines.isEmpty());
    }

    void sampleFileReproducesTheDefaults() {
        QFile sample(QStringLiteral(QUILLMARK_SAMPLE_BRANDING));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        const BrandingContents contents = readBranding(sample.readAll());
        QCOMPARE(contents.pastEnd, BrandingPastEnd::None);
        QCOMPARE(contents.splashItems, defaultSplashItems());
        QCOMPARE(contents.aboutLines, defaultAboutLines());
        // The defaults name a logo that ships beside the sample, at the label's design size.
        const QString logo = defaultSplashItems().at(4);
        QVERIFY2(QFileInfo(QFileInfo(sample).dir(), logo).exists(), qPrintable(logo));
        QCOMPARE(companyFontSize(defaultSplashItems().at(2)), kDesignCompanyFontSize);
    }

    void fontSizeFromLeadingNumber_data() {
        columns<QString, double>("text", "size");
        QTest::newRow("plain") << "36" << 36.0;
        QTest::newRow("letters after") << "12abc" << 12.0;
        QTest::newRow("leading blanks") << "  20 pt" << 20.0;
        QTest::newRow("fraction") << "22.5" << 22.5;
        QTest::newRow("upper limit") << "1000" << 1000.0;
        QTest::newRow("dot then digits") << ".5x" << 0.5;
        QTest::newRow("letters first keeps design size") << "abc" << 48.0;
        QTest::newRow("empty keeps design size") << "" << 48.0;
        QTest::newRow("zero keeps design size") << "0" << 48.0;
        QTest::newRow("negative keeps design size") << "-5" << 48.0;
        QTest::newRow("huge keeps design size") << "1001" << 48.0;
        QTest::newRow("overflowing digits keep design size")
            << QString(400, QLatin1Char('9')) << 48.0;
    }
    void fontSizeFromLeadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, size);
        QCOMPARE(companyFontSize(text), size);
    }

    void styleWords_data() {
        columns<QString, bool, bool>("text", "bold", "italic");
        QTest::newRow("capitals") << "BOLD" << true << false;
        QTest::newRow("inside a word") << "extrabolder" << true << false;
        QTest::newRow("both") << "bold italic" << true << true;
        QTest::newRow("both reversed") << "Italic,Bold" << true << true;
        QTest::newRow("neither") << "regular" << false << false;
        QTest::newRow("empty") << "" << false << false;
    }
    void styleWords() {
        QFETCH(QString, text);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QCOMPARE(styleWantsBold(text), bold);
        QCOMPARE(styleWantsItalic(text), italic);
    }

    void logoNames() {
        const QString dir = QStringLiteral("/opt/quillmark");
        QVERIFY(!logoPath(dir, QStringLiteral("NULL")));
        QVERIFY(!logoPath(dir, QStringLiteral("nUlL")));
        const QString sep = QDir::separator();
        QCOMPARE(logoPath(dir, QStringLiteral("NULL ")), dir + sep + QStringLiteral("NULL "));
        QCOMPARE(logoPath(dir, QStringLiteral("logo.gif")), dir + sep + QStringLiteral("logo.gif"));
        QCOMPARE(logoPath(dir, QString()), dir + sep);
    }

    void aboutText_data() {
        const QString product = QString::fromLatin1(kAboutProductText);
        const QString head2 = copyrightNotice() + QStringLiteral("\r\n\r\n");
        columns<QStringList, QString>("aboutLines", "text");
        QTest::newRow("defaults")
            << defaultAboutLines()
            << QStringLiteral("Halverd ") + product + QStringLiteral("\r\n") + head2 +
                   QStringLiteral(
                       "Halverd LLC\r\n2180 Quarry Mill Road\r\nFernhollow, OR 97999\r\n"
                       "Phone: (555) 014-2768\r\nwww.halverd.example\r\n");
        QTest::newRow("one line") << lines({"Acme"})
                                  << QStringLiteral("Acme ") + product + QStringLiteral("\r\n") +
                                         head2;
        QTest::newRow("empty and ! lines as they are")
            << lines({"Acme", "", "!note", "x"})
            << QStringLiteral("Acme ") + product + QStringLiteral("\r\n") + head2 +
                   QStringLiteral("\r\n!note\r\nx\r\n");
        QTest::newRow("trailing blanks kept")
            << lines({"Acme  ", "Road  "})
            << QStringLiteral("Acme   ") + product + QStringLiteral("\r\n") + head2 +
                   QStringLiteral("Road  \r\n");
        QTest::newRow("empty list") << QStringList() << product + QStringLiteral("\r\n") + head2;
    }
    void aboutText() {
        QFETCH(QStringList, aboutLines);
        QFETCH(QString, text);
        QCOMPARE(AboutText(aboutLines), text);
        // Built anew each time: a second call must not grow the text.
        QCOMPARE(AboutText(aboutLines), text);
    }
};

QTEST_GUILESS_MAIN(BrandingTest)
#include "BrandingTest.moc"
