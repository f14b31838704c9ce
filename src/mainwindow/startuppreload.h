#pragma once

#include <thread>

// Start-up work that needs neither the display nor Qt's objects, done on a thread of its own
// while the application object is being built, which mostly waits on the display: reading the
// system's font configuration, the largest single cost of start-up. Wait() must return before
// anything lays out text, so that Qt finds the configuration loaded instead of loading it a
// second time.
class StartupPreload
{
public:
    StartupPreload();
    ~StartupPreload();
    StartupPreload(const StartupPreload &) = delete;
    StartupPreload &operator=(const StartupPreload &) = delete;

    void Wait();

private:
    std::thread m_thread;
};
