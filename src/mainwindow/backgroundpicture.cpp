#include "mainwindow/backgroundpicture.h"

#include <QResource>
#include <QSysInfo>
#include <png.h>

namespace BackgroundPicture {

QByteArray Png()
{
    const QResource resource(QStringLiteral(":/images/background.png"));
    return resource.uncompressedData();
}

QImage Decode(const QByteArray &png)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.constData(), static_cast<size_t>(png.size())))
        return {};
    // An opaque picture stays opaque, so painting it is a copy and not a blend.
    const bool opaque = (image.format & PNG_FORMAT_FLAG_ALPHA) == 0;
    // Qt's 32-bit formats are whole words in the machine's byte order.
    image.format = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    QImage picture(static_cast<int>(image.width), static_cast<int>(image.height),
                   opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    if (picture.isNull()) {
        png_image_free(&image);
        return {};
    }
    if (!png_image_finish_read(&image, nullptr, picture.bits(), static_cast<png_int_32>(picture.bytesPerLine()), nullptr))
        return {};
    return picture;
}

}
