// The designed font names resolve to an installed, metric-compatible family.
#include "DataColumns.h"
#include "platform/widgets/QtFonts.h"

#include <QApplication>
#include <QFontInfo>
#include <QTest>

using quillmark::test::columns;

class QtFontsTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { quillmark::installFontSubstitutes(); }

    void designedFamiliesResolveToLiberationSans_data() {
        columns<QString, bool>("family", "bold");
        QTest::newRow("MS Sans Serif") << QStringLiteral("MS Sans Serif") << false;
        QTest::newRow("System bold") << QStringLiteral("System") << true;
        QTest::newRow("Arial") << QStringLiteral("Arial") << false;
        QTest::newRow("Arial bold") << QStringLiteral("Arial") << true;
    }
    void designedFamiliesResolveToLiberationSans() {
        QFETCH(QString, family);
        QFETCH(bool, bold);
        QFont font(family);
        font.setPointSizeF(9.6);
        font.setBold(bold);
        const QFontInfo info(font);
        QCOMPARE(info.family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(info.bold(), bold);
    }
};

QTEST_MAIN(QtFontsTest)
#include "QtFontsTest.moc"
