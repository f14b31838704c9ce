#include "ui/endsignals.h"

#include "usermessages/systemreason.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

int pair[2] = { -1, -1 };
constexpr int Ends[] = { SIGTERM, SIGHUP, SIGINT };

void OnEnd(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pair[0], &byte, 1);
    errno = saved;
}

}

EndSignals::EndSignals(QObject *parent)
    : QObject(parent)
{
    // Without the pair the signals keep ending the program at once, as they always did.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0) {
        qWarning("Noterra: %s", qPrintable(SystemReason::Of(errno)));
        return;
    }
    m_notifier = new QSocketNotifier(pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(pair[1], bytes, sizeof bytes) > 0) { }
        emit Received();
    });
    struct sigaction action
    {
    };
    action.sa_handler = OnEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : Ends)
        sigaction(signal, &action, nullptr);
}

EndSignals::~EndSignals()
{
    if (m_notifier == nullptr)
        return;
    for (const int signal : Ends)
        std::signal(signal, SIG_DFL);
    delete m_notifier;
    ::close(pair[0]);
    ::close(pair[1]);
    pair[0] = pair[1] = -1;
}
