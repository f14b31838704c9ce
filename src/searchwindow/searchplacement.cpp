#include "searchwindow/searchplacement.h"

#include <algorithm>
#include <array>

namespace SearchPlacement {

namespace {

// The window's frame at left, top, moved along the side it was placed on until it lies on the
// screen where it can.
QRect OnScreen(int left, int top, const QSize &frame, const QRect &screen)
{
    const int x = std::clamp(left, screen.left(), std::max(screen.left(), screen.right() + 1 - frame.width()));
    const int y = std::clamp(top, screen.top(), std::max(screen.top(), screen.bottom() + 1 - frame.height()));
    return QRect(QPoint(x, y), frame);
}

// The four places beside area, in the order they are tried: right, left, below, above. Each keeps
// the edge it shares with area where the screen allows, and all lie on the screen.
std::array<QRect, 4> Around(const QRect &area, const QSize &frame, const QRect &screen)
{
    return { OnScreen(area.right() + 1, area.top(), frame, screen),
        OnScreen(area.left() - frame.width(), area.top(), frame, screen),
        OnScreen(area.left(), area.bottom() + 1, frame, screen),
        OnScreen(area.left(), area.top() - frame.height(), frame, screen) };
}

const QRect *FirstClear(const std::array<QRect, 4> &places, const QRect &area, const QRect &screen)
{
    const auto clear = std::find_if(places.begin(), places.end(),
        [&](const QRect &place) { return screen.contains(place) && !place.intersects(area); });
    return clear == places.end() ? nullptr : &*clear;
}

}

QPoint Beside(const QRect &mainWindow, const QRect &editor, const QSize &frame, const QRect &screen)
{
    const std::array<QRect, 4> besideWindow = Around(mainWindow, frame, screen);
    if (const QRect *place = FirstClear(besideWindow, mainWindow, screen))
        return place->topLeft();
    const std::array<QRect, 4> besideEditor = Around(editor, frame, screen);
    if (const QRect *place = FirstClear(besideEditor, editor, screen))
        return place->topLeft();
    // A screen too small for both: the window covers as little of the editor as it can.
    const auto covered = [&editor](const QRect &place) {
        const QRect common = place.intersected(editor);
        return qint64(common.width()) * common.height();
    };
    const QRect *least = &besideWindow.front();
    for (const std::array<QRect, 4> *places : { &besideWindow, &besideEditor }) {
        for (const QRect &place : *places) {
            if (covered(place) < covered(*least))
                least = &place;
        }
    }
    return least->topLeft();
}

}
