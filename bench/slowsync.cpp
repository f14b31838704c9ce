// A disk whose every sync takes 200 ms, for LD_PRELOAD: a slow memory stick or a busy network
// home, made repeatable. Only the wait is added; the real sync still runs after it.
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace {

void WaitLikeASlowDisk()
{
    timespec left { 0, 200'000'000 };
    while (nanosleep(&left, &left) != 0 && errno == EINTR) { }
}

}

extern "C" int fsync(int fd)
{
    WaitLikeASlowDisk();
    return int(syscall(SYS_fsync, fd));
}

extern "C" int fdatasync(int fd)
{
    WaitLikeASlowDisk();
    return int(syscall(SYS_fdatasync, fd));
}
