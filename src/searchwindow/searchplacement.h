#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the search window goes when it appears: beside the main window, so that an entry it opens
// is seen, never over the main window's editor where the screen leaves any other room. Rectangles
// are frames on the desktop, decorations included. A pure function.
namespace SearchPlacement {

// The top left corner of a window of size frame on screen, the free part of the screen given.
QPoint Beside(const QRect &mainWindow, const QRect &editor, const QSize &frame, const QRect &screen);

}
