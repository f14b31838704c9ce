#include "mainwindow/backgroundpicture.h"

#include <QBuffer>
#include <QImageReader>
#include <QTest>

// The decoder reads PNG with the image library directly, so that a thread may run it before Qt
// is up; what it gives must be what Qt's own reader gives, pixel for pixel.
class TestBackgroundPicture : public QObject
{
    Q_OBJECT
private slots:
    void decode_sky_isWhatQtReads();
    void decode_transparentPicture_keepsEveryChannel();
    void decode_noCompletePng_isNull_data();
    void decode_noCompletePng_isNull();
};

namespace {
QByteArray EncodePng(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return png;
}
}

void TestBackgroundPicture::decode_sky_isWhatQtReads()
{
    const QImage decoded = BackgroundPicture::Decode(BackgroundPicture::Png());
    QImageReader reader(QStringLiteral(":/images/background.png"), "PNG");
    const QImage expected = reader.read();
    QVERIFY(!expected.isNull());
    // Opaque, so the window copies it rather than blending it.
    QCOMPARE(decoded.format(), QImage::Format_RGB32);
    QCOMPARE(decoded, expected.convertToFormat(QImage::Format_RGB32));
}

// Distinct red, green and blue in every pixel, and alpha from clear to opaque, show any swapped
// channel, a lost alpha or a premultiplied result.
void TestBackgroundPicture::decode_transparentPicture_keepsEveryChannel()
{
    QImage original(7, 3, QImage::Format_ARGB32);
    for (int y = 0; y < original.height(); ++y) {
        for (int x = 0; x < original.width(); ++x)
            original.setPixel(x, y, qRgba(200 - 20 * x, 30 + 10 * y, 90 + 5 * x, 40 * x + y));
    }
    const QByteArray png = EncodePng(original);
    QVERIFY(!png.isEmpty());
    const QImage decoded = BackgroundPicture::Decode(png);
    QCOMPARE(decoded.format(), QImage::Format_ARGB32);
    QCOMPARE(decoded, original);
}

void TestBackgroundPicture::decode_noCompletePng_isNull_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray sky = BackgroundPicture::Png();
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("not a picture") << QByteArray("<DIARY></DIARY>");
    QTest::newRow("signature alone") << sky.left(8);
    QTest::newRow("cut off in its pixels") << sky.left(sky.size() / 2);
}

void TestBackgroundPicture::decode_noCompletePng_isNull()
{
    QFETCH(QByteArray, data);
    QVERIFY(BackgroundPicture::Decode(data).isNull());
}

QTEST_MAIN(TestBackgroundPicture)
#include "tst_backgroundpicture.moc"
