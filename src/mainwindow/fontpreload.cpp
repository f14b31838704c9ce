#include "mainwindow/fontpreload.h"

#include <fontconfig/fontconfig.h>
#include <system_error>

// Neither a failed FcInit nor a thread that cannot start is ours to report: Qt calls FcInit
// itself when it first needs a font, and that call then loads the configuration as if nothing
// had run before.
FontPreload::FontPreload()
{
    try {
        m_thread = std::thread([] { FcInit(); });
    } catch (const std::system_error &) {
    }
}

FontPreload::~FontPreload()
{
    Wait();
}

void FontPreload::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}
