#include "ui/skyloader.h"

#include "ui/skypicture.h"

SkyLoader::SkyLoader(qreal screenRatio)
    : m_decoding(std::async(std::launch::async, SkyPicture::Load, screenRatio))
{
}

// A window closed before its first paint still waits here for the decode it started.
SkyLoader::~SkyLoader() = default;

const QImage &SkyLoader::For(qreal screenRatio)
{
    if (m_decoding.valid())
        m_sky = m_decoding.get();
    if (m_sky.isNull() || m_sky.devicePixelRatio() != SkyPicture::RatioFor(screenRatio))
        m_sky = SkyPicture::Load(screenRatio);
    return m_sky;
}
