#include "mainwindow/startuppreload.h"

#include <clocale>
#include <fontconfig/fontconfig.h>
#include <system_error>

// Neither a failed FcInit nor a thread that cannot start is ours to report: Qt calls FcInit
// itself when it first needs a font, and that call then loads the configuration as if nothing
// had run before.
StartupPreload::StartupPreload()
{
    // The application object sets the process's locale from the environment while the thread
    // may be reading numbers from the configuration, which depends on the locale. Setting the
    // same locale first leaves the application object nothing to change under the thread.
    std::setlocale(LC_ALL, "");
    try {
        m_thread = std::thread([] { FcInit(); });
    } catch (const std::system_error &) {
    }
}

StartupPreload::~StartupPreload()
{
    Wait();
}

void StartupPreload::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}
