#include "ui/japanesefonts.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

class TestJapaneseFonts : public QObject
{
    Q_OBJECT
private slots:
    void fonts_renderJapanese_data();
    void fonts_renderJapanese();
};

void TestJapaneseFonts::fonts_renderJapanese_data()
{
    QTest::addColumn<QFont>("font");
    QTest::newRow("default font") << JapaneseFonts::UiFont();
    QTest::newRow("title list, asks for the design family") << JapaneseFonts::TitleListFont(false);
    QTest::newRow("title label, bold") << JapaneseFonts::TitleListFont(true);
    QTest::newRow("calendar") << JapaneseFonts::CalendarFont(11);
}

// Every character of the windows' texts has a glyph in one of the Japanese families.
void TestJapaneseFonts::fonts_renderJapanese()
{
    QFETCH(QFont, font);
    const QString text = QStringLiteral("保管しておわり タイトルリスト 2026年12月");
    const QFontMetrics metrics(font);
    QVERIFY(metrics.horizontalAdvance(text) > 0);
    for (const QChar character : text)
        QVERIFY2(metrics.inFont(character), qPrintable(QStringLiteral("no glyph for ") + character));
    // fontconfig names a family in the desktop's language ("IPA Pゴシック" under a Japanese locale).
    QStringList japaneseFamilies;
    for (const QString &family : { QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP") })
        japaneseFamilies << family << QFontInfo(QFont(family)).family();
    const QString family = QFontInfo(font).family();
    QVERIFY2(japaneseFamilies.contains(family), qPrintable(family));
}

QTEST_MAIN(TestJapaneseFonts)
#include "tst_japanesefonts.moc"
