#pragma once

#include <QByteArray>
#include <QImage>
#include <thread>

// Start-up work that needs neither the display nor Qt's objects, done on a thread of its own
// while the application object is being built, which mostly waits on the display: reading the
// system's font configuration, the largest single cost of start-up, and decoding the window's
// sky. Wait() must return before anything lays out text, so that Qt finds the configuration
// loaded instead of loading it a second time.
class StartupPreload
{
public:
    StartupPreload();
    ~StartupPreload();
    StartupPreload(const StartupPreload &) = delete;
    StartupPreload &operator=(const StartupPreload &) = delete;

    void Wait();
    // The decoded sky, after Wait(); decoded here and now if the thread could not run.
    QImage Background();

private:
    QByteArray m_png;
    QImage m_background;
    bool m_decoded = false;
    std::thread m_thread;
};
