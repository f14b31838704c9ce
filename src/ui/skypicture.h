#pragma once

#include <QImage>

// The main window's sky as Qt reads it from the compiled-in pictures. A screen with more than one
// device pixel to a window pixel gets the picture drawn at twice the size, marked as such, so that
// it covers the same part of the window as the plain one, only sharper.
namespace SkyPicture {

// Picture pixels per window pixel for a screen of the given device pixel ratio: 2 or 1.
qreal RatioFor(qreal screenRatio);
// The sky at RatioFor(screenRatio); a null image when the picture does not decode.
QImage Load(qreal screenRatio);

}
