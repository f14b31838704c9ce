#pragma once

#include <QImage>
#include <future>

// The main window's sky, decoded on a thread of its own from the window's construction on: the
// decode then overlaps the start-up's font loading instead of delaying the first paint. It only
// hands out pictures SkyPicture::Load makes; what is drawn stays the window's business.
class SkyLoader
{
public:
    // Starts decoding the sky for a screen of this device pixel ratio.
    explicit SkyLoader(qreal screenRatio);
    ~SkyLoader();

    // The sky for a screen of this ratio; waits for the decode under way, and decodes again when
    // the window has since moved to a screen of another ratio.
    const QImage &For(qreal screenRatio);

private:
    std::future<QImage> m_decoding;
    QImage m_sky;
};
