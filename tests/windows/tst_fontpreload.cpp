#include "mainwindow/fontpreload.h"
#include "mainwindow/japanesefonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

// The preload starts before the application object, as the program does, so that its first stage
// really runs beside Qt's own start-up; the main function below keeps that order.
class TestFontPreload : public QObject
{
    Q_OBJECT
public:
    explicit TestFontPreload(FontPreload &preload)
        : m_preload(preload)
    {
    }

private slots:
    void textMeasuredWhileLoading_getsJapaneseFonts_data();
    void textMeasuredWhileLoading_getsJapaneseFonts();
    void destroyedBeforeApplicationReady_endsAtOnce();

private:
    FontPreload &m_preload;
};

void TestFontPreload::textMeasuredWhileLoading_getsJapaneseFonts_data()
{
    QTest::addColumn<QFont>("font");
    QTest::newRow("default font") << JapaneseFonts::UiFont();
    QTest::newRow("title list, asks for the design family") << JapaneseFonts::TitleListFont(false);
    QTest::newRow("title label, bold") << JapaneseFonts::TitleListFont(true);
    QTest::newRow("calendar") << JapaneseFonts::CalendarFont(11);
}

// The main thread does not wait for the preload: it lays out text while the thread may still be
// filling Qt's font database, and must get the same fonts as without a preload.
void TestFontPreload::textMeasuredWhileLoading_getsJapaneseFonts()
{
    QFETCH(QFont, font);
    m_preload.ApplicationReady();
    const QString text = QStringLiteral("保管しておわり タイトルリスト 2026年12月");
    const QFontMetrics metrics(font);
    QVERIFY(metrics.horizontalAdvance(text) > 0);
    for (const QChar character : text)
        QVERIFY2(metrics.inFont(character), qPrintable(QStringLiteral("no glyph for ") + character));
    const QString family = QFontInfo(font).family();
    QVERIFY2(
        family == QStringLiteral("IPAPGothic") || family == QStringLiteral("Noto Sans CJK JP"), qPrintable(family));
    m_preload.Wait();
}

// A program that ends before its application object exists must not hang on the waiting thread.
void TestFontPreload::destroyedBeforeApplicationReady_endsAtOnce()
{
    QElapsedTimer timer;
    timer.start();
    {
        FontPreload unused;
    }
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
}

int main(int argc, char *argv[])
{
    FontPreload preload;
    QApplication app(argc, argv);
    TestFontPreload test(preload);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fontpreload.moc"
