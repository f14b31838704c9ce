#include "ui/japanesefonts.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>

// A desktop without any Japanese font: fontconfig is given a configuration that knows no fonts
// at all, before the font database first reads it.
class TestFontFallback : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void addFallbackFonts_noJapaneseFont_windowsDrawWithFolderFont_data();
    void addFallbackFonts_noJapaneseFont_windowsDrawWithFolderFont();
};

const QString IpaFont = QStringLiteral("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf");

void TestFontFallback::cleanup()
{
    QFontDatabase::removeAllApplicationFonts();
}

void TestFontFallback::addFallbackFonts_noJapaneseFont_windowsDrawWithFolderFont_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("families");
    QTest::newRow("no fonts folder") << QStringList() << QStringList();
    QTest::newRow("a font") << QStringList { QStringLiteral("ipagp.ttf") }
                            << QStringList { QStringLiteral("IPAPGothic") };
    QTest::newRow("a broken font first, then a good one") << QStringList { QStringLiteral("broken.ttf"),
        QStringLiteral("ipagp.ttf") } << QStringList { QStringLiteral("IPAPGothic") };
}

void TestFontFallback::addFallbackFonts_noJapaneseFont_windowsDrawWithFolderFont()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, families);
    if (!QFile::exists(IpaFont))
        QSKIP("the IPA font is not installed (package fonts-ipafont-gothic)");
    QVERIFY2(QFontDatabase::families(QFontDatabase::Japanese).isEmpty(), "fontconfig still finds a Japanese font");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString fonts = folder.filePath(QStringLiteral("fonts"));
    if (!files.isEmpty())
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("fonts")));
    for (const QString &file : files) {
        if (file == QStringLiteral("broken.ttf")) {
            QFile broken(fonts + QStringLiteral("/broken.ttf"));
            QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a font") > 0);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("broken\\.ttf")));
        } else {
            QVERIFY(QFile::link(IpaFont, fonts + QLatin1Char('/') + file));
        }
    }

    QCOMPARE(JapaneseFonts::AddFallbackFonts(fonts), families);
    if (families.isEmpty())
        return;
    const QFontMetrics metrics(JapaneseFonts::UiFont());
    for (const QChar character : QStringLiteral("保管しておわり タイトルリスト"))
        QVERIFY2(metrics.inFont(character), qPrintable(QStringLiteral("no glyph for ") + character));
    QCOMPARE(QFontInfo(JapaneseFonts::UiFont()).family(), families.first());
}

int main(int argc, char *argv[])
{
    QTemporaryDir empty;
    QFile config(empty.filePath(QStringLiteral("fonts.conf")));
    if (!empty.isValid() || !config.open(QIODevice::WriteOnly))
        return 1;
    config.write(QStringLiteral("<?xml version=\"1.0\"?><fontconfig><dir>%1</dir><cachedir>%1</cachedir></fontconfig>")
                     .arg(empty.path())
                     .toUtf8());
    config.close();
    qputenv("FONTCONFIG_FILE", QFile::encodeName(config.fileName()));
    QApplication app(argc, argv);
    TestFontFallback test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fontfallback.moc"
