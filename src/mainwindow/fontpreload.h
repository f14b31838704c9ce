#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

// Does the fonts' groundwork on a thread of its own while the main thread starts Qt and builds the
// window. First the system's font configuration, which needs nothing of Qt and is the largest
// single cost of start-up; then, once the application object exists, Qt's font database and the
// fallback fonts of the windows' families, which Qt keeps for every thread. The main thread needs
// none of it until it first lays out text; Qt's font database is thread-safe, so if the main thread
// gets there first it waits for what is being loaded instead of loading it twice.
class FontPreload
{
public:
    FontPreload();
    ~FontPreload();
    FontPreload(const FontPreload &) = delete;
    FontPreload &operator=(const FontPreload &) = delete;

    // The application object exists: the thread may go on with Qt's part.
    void ApplicationReady();
    // Returns when the thread has ended; call it while the application object still exists.
    void Wait();

private:
    enum class Stage
    {
        BeforeApplication,
        ApplicationReady,
        Abandoned
    };

    void Run();
    void Release(Stage stage);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Stage m_stage = Stage::BeforeApplication;
    std::thread m_thread;
};
