#include "mainwindow/startuppreload.h"
#include "ui/japanesefonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

// The preload starts before the application object, as the program does, so that it really runs
// beside Qt's own start-up; the main function below keeps that order.
class TestStartupPreload : public QObject
{
    Q_OBJECT
private slots:
    void afterPreload_fontsRenderJapanese_data();
    void afterPreload_fontsRenderJapanese();
    void destroyedWithoutWait_endsAtOnce();
};

void TestStartupPreload::afterPreload_fontsRenderJapanese_data()
{
    QTest::addColumn<QFont>("font");
    QTest::newRow("default font") << JapaneseFonts::UiFont();
    QTest::newRow("title list, asks for the design family") << JapaneseFonts::TitleListFont(false);
    QTest::newRow("title label, bold") << JapaneseFonts::TitleListFont(true);
    QTest::newRow("calendar") << JapaneseFonts::CalendarFont(11);
}

// Qt must take the configuration the thread loaded as its own: every character of the windows'
// texts has a glyph in one of the Japanese families.
void TestStartupPreload::afterPreload_fontsRenderJapanese()
{
    QFETCH(QFont, font);
    const QString text = QStringLiteral("保管しておわり タイトルリスト 2026年12月");
    const QFontMetrics metrics(font);
    QVERIFY(metrics.horizontalAdvance(text) > 0);
    for (const QChar character : text)
        QVERIFY2(metrics.inFont(character), qPrintable(QStringLiteral("no glyph for ") + character));
    const QString family = QFontInfo(font).family();
    QVERIFY2(
        family == QStringLiteral("IPAPGothic") || family == QStringLiteral("Noto Sans CJK JP"), qPrintable(family));
}

// A program that ends before it waits for the thread must still end.
void TestStartupPreload::destroyedWithoutWait_endsAtOnce()
{
    QElapsedTimer timer;
    timer.start();
    {
        StartupPreload unused;
    }
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
}

int main(int argc, char *argv[])
{
    StartupPreload preload;
    QApplication app(argc, argv);
    preload.Wait();
    TestStartupPreload test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startuppreload.moc"
