#include "ui/application.h"
#include "ui/skypicture.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTest>

// The windows load their pictures from the resources compiled into noterra_ui. A static
// library's resources reach a program only through the object library Qt adds for them, so
// this test, which links noterra_ui like the executable does, fails if they get lost.
class TestResources : public QObject
{
    Q_OBJECT
private slots:
    // First: the other cases read pictures the plain way, which loads the plugins.
    void resourceImage_loadsNoImagePlugin();
    void image_isCompiledInWithItsSize_data();
    void image_isCompiledInWithItsSize();
    void icon_hasTransparentCorner_data();
    void icon_hasTransparentCorner();
    void background_isLightSkyWhereTextStands();
    void sky_coversTheWindowAtEveryPixelRatio();
};

void TestResources::image_isCompiledInWithItsSize_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("background") << ":/images/background.png" << QSize(640, 480);
    QTest::newRow("background 2x") << ":/images/background@2x.png" << QSize(1280, 960);
    QTest::newRow("main icon 64") << ":/icons/noterra-64.png" << QSize(64, 64);
    QTest::newRow("main icon 32") << ":/icons/noterra-32.png" << QSize(32, 32);
    QTest::newRow("main icon 16") << ":/icons/noterra-16.png" << QSize(16, 16);
    QTest::newRow("list icon 64") << ":/icons/list-64.png" << QSize(64, 64);
    QTest::newRow("list icon 32") << ":/icons/list-32.png" << QSize(32, 32);
    QTest::newRow("list icon 16") << ":/icons/list-16.png" << QSize(16, 16);
}

void TestResources::image_isCompiledInWithItsSize()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QVERIFY2(QFile::exists(path), qPrintable(path + " is not in the resources"));
    const QPixmap image = ResourceImage(path);
    QVERIFY2(!image.isNull(), qPrintable(path + " does not decode"));
    QCOMPARE(image.size(), size);
}

void TestResources::icon_hasTransparentCorner_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("main icon 64") << ":/icons/noterra-64.png";
    QTest::newRow("main icon 32") << ":/icons/noterra-32.png";
    QTest::newRow("main icon 16") << ":/icons/noterra-16.png";
    QTest::newRow("list icon 64") << ":/icons/list-64.png";
    QTest::newRow("list icon 32") << ":/icons/list-32.png";
    QTest::newRow("list icon 16") << ":/icons/list-16.png";
}

// A title bar or a task bar shows the icon over its own colour; an opaque square would hide it.
void TestResources::icon_hasTransparentCorner()
{
    QFETCH(QString, path);
    const QImage image(path);
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
}

// Black captions and the label stand straight on the picture in the visible top-left part;
// they stay readable only while every pixel there is light.
void TestResources::background_isLightSkyWhereTextStands()
{
    const QImage image(":/images/background.png");
    QVERIFY(!image.isNull());
    int darkest = 255;
    for (int y = 0; y < 353; ++y) {
        for (int x = 0; x < 565; ++x)
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
    }
    QVERIFY2(darkest >= 150, qPrintable(QString("darkest grey level %1").arg(darkest)));
    const QRgb corner = image.pixel(0, 0);
    QVERIFY2(qBlue(corner) > qRed(corner), "the sky is not blue");
}

// A sky not marked with its ratio would be painted at twice the size, its clouds out of place.
void TestResources::sky_coversTheWindowAtEveryPixelRatio()
{
    for (const qreal screenRatio : { 1.0, 1.25, 2.0, 3.0 }) {
        const QImage sky = SkyPicture::Load(screenRatio);
        const qreal pictureRatio = screenRatio > 1 ? 2 : 1;
        QCOMPARE(sky.size(), QSize(640, 480) * pictureRatio);
        QCOMPARE(sky.deviceIndependentSize(), QSizeF(640, 480));
    }
}

// Loading the system's image plugins to ask each about the data costs the start-up several
// libraries; the pictures are PNG, which Qt reads without any plugin.
void TestResources::resourceImage_loadsNoImagePlugin()
{
    QVERIFY(!SkyPicture::Load(1).isNull());
    QVERIFY(!ResourceImage(QStringLiteral(":/icons/list-16.png")).isNull());
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        QSKIP("this system does not show a process's mapped files");
    const QByteArray mapped = maps.readAll();
    QVERIFY2(!mapped.contains("/imageformats/"), "an image plugin was loaded");
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
