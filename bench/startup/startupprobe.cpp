// Starts one program on the X display named by DISPLAY and prints one line: milliseconds from
// the start until its window titled TITLE was mapped, milliseconds until that window was first
// painted, and the program's peak resident memory in KiB (the figure /usr/bin/time reports).
//
// Usage: startup_probe TITLE PROGRAM [ARGUMENTS...]
//
// "Painted" is when no sampled pixel of the window still shows the root window's colour. The
// probe paints the root magenta first; a Qt window has no background of its own, so it shows
// what lies under it until its program draws into it.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimeout = std::chrono::seconds(30);
// What the program does right after showing its window (fonts, the first month) counts too.
constexpr auto kSettle = std::chrono::milliseconds(500);

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Windows come and go while the probe reads their properties; such errors are not failures.
int IgnoreXError(Display *, XErrorEvent *)
{
    return 0;
}

std::string WindowTitle(Display *display, Window window)
{
    const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, name, 0, 256, False, AnyPropertyType, &type, &format, &count, &after, &data)
            != Success
        || data == nullptr)
        return {};
    std::string title(reinterpret_cast<const char *>(data), count);
    XFree(data);
    return title;
}

unsigned long PaintRootMagenta(Display *display)
{
    const Window root = DefaultRootWindow(display);
    XColor colour {};
    colour.red = 0xffff;
    colour.blue = 0xffff;
    if (!XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &colour))
        throw std::runtime_error("cannot allocate the root colour");
    XSetWindowBackground(display, root, colour.pixel);
    XClearWindow(display, root);
    XSync(display, False);
    return colour.pixel;
}

pid_t Launch(char **argv)
{
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    return child;
}

void ThrowIfEnded(pid_t child)
{
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child)
        throw std::runtime_error("the program ended before its window was shown, status " + std::to_string(status));
}

Window WaitForMap(Display *display, const std::string &title, pid_t child, Clock::time_point deadline)
{
    while (Clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && WindowTitle(display, event.xmap.window) == title)
                return event.xmap.window;
        }
        ThrowIfEnded(child);
        const int fd = ConnectionNumber(display);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval wait { 0, 1000 };
        select(fd + 1, &readable, nullptr, nullptr, &wait);
    }
    throw std::runtime_error("no window titled \"" + title + "\" was mapped in time");
}

// Samples an 8 x 8 grid of the window, one strip per grid row.
bool StillShowsRoot(Display *display, Window window, unsigned long rootPixel)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return true;
    for (int row = 0; row < 8; ++row) {
        const int y = (2 * row + 1) * attributes.height / 16;
        XImage *strip = XGetImage(display, window, 0, y, attributes.width, 1, AllPlanes, ZPixmap);
        if (strip == nullptr)
            return true;
        bool root = false;
        for (int column = 0; column < 8 && !root; ++column)
            root = XGetPixel(strip, (2 * column + 1) * attributes.width / 16, 0) == rootPixel;
        XDestroyImage(strip);
        if (root)
            return true;
    }
    return false;
}

void WaitForPaint(Display *display, Window window, unsigned long rootPixel, pid_t child, Clock::time_point deadline)
{
    while (StillShowsRoot(display, window, rootPixel)) {
        if (Clock::now() >= deadline)
            throw std::runtime_error("the window was not painted in time");
        ThrowIfEnded(child);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A display that has just reported itself ready may still refuse the first connection.
Display *OpenDisplay()
{
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    Display *display = XOpenDisplay(nullptr);
    while (display == nullptr && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        display = XOpenDisplay(nullptr);
    }
    return display;
}

long StopAndMeasureMaxRss(pid_t child)
{
    kill(child, SIGTERM);
    int status = 0;
    rusage usage {};
    if (wait4(child, &status, 0, &usage) != child)
        throw std::runtime_error("lost the program");
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    Display *display = OpenDisplay();
    if (display == nullptr) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreXError);
    pid_t child = -1;
    try {
        const unsigned long rootPixel = PaintRootMagenta(display);
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
        XSync(display, False);
        const auto start = Clock::now();
        child = Launch(argv + 2);
        const Window window = WaitForMap(display, argv[1], child, start + kTimeout);
        const double mapped = MillisecondsSince(start);
        WaitForPaint(display, window, rootPixel, child, start + kTimeout);
        const double painted = MillisecondsSince(start);
        std::this_thread::sleep_for(kSettle);
        const long maxRss = StopAndMeasureMaxRss(child);
        std::printf("%.2f %.2f %ld\n", mapped, painted, maxRss);
    } catch (const std::exception &error) {
        if (child > 0)
            kill(child, SIGKILL);
        std::fprintf(stderr, "startup_probe: %s\n", error.what());
        XCloseDisplay(display);
        return 1;
    }
    XCloseDisplay(display);
    return 0;
}
