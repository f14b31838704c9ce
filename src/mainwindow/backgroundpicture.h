#pragma once

#include <QByteArray>
#include <QImage>

// The main window's sky, compiled in as PNG. Decoding it is a visible part of start-up, so the
// decoder is kept free of Qt's objects and settings: a thread of its own may run it while the
// application object is still being built.
namespace BackgroundPicture {

// Reads Qt's resource table; call it on the main thread.
QByteArray Png();
// Safe on any thread, before or after the application object. A null image when png is no
// complete PNG.
QImage Decode(const QByteArray &png);

}
