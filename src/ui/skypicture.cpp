#include "ui/skypicture.h"

#include <QImageReader>

namespace SkyPicture {

qreal RatioFor(qreal screenRatio)
{
    return screenRatio > 1 ? 2 : 1;
}

QImage Load(qreal screenRatio)
{
    const qreal ratio = RatioFor(screenRatio);
    QImageReader reader(
        ratio > 1 ? QStringLiteral(":/images/background@2x.png") : QStringLiteral(":/images/background.png"), "PNG");
    // Named, not guessed: guessing loads every image plugin of the system first.
    reader.setAutoDetectImageFormat(false);
    QImage sky = reader.read();
    sky.setDevicePixelRatio(ratio);
    return sky;
}

}
