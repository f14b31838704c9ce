#pragma once

#include <thread>

// Reads the system's font configuration on a thread of its own, started before the application
// object: reading and parsing it is the largest single cost of start-up, it needs nothing of Qt,
// and Qt's own start-up mostly waits on the display meanwhile. Wait() must return before anything
// lays out text, so that Qt finds the configuration loaded instead of loading it a second time.
class FontPreload
{
public:
    FontPreload();
    ~FontPreload();
    FontPreload(const FontPreload &) = delete;
    FontPreload &operator=(const FontPreload &) = delete;

    void Wait();

private:
    std::thread m_thread;
};
