#include "ui/typingpause.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScopedValueRollback>

namespace {

// About the pause between two sentences; the journal waits as long before it writes.
constexpr qint64 RestMilliseconds = 2000;

}

TypingPause::TypingPause(QObject *parent)
    : QObject(parent)
{
    m_wait.setSingleShot(true);
    connect(&m_wait, &QTimer::timeout, this, &TypingPause::RunWaiting);
    QCoreApplication::instance()->installEventFilter(this);
}

TypingPause::~TypingPause()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void TypingPause::Run(std::function<void()> action)
{
    m_waiting.push_back(std::move(action));
    RunWaiting();
}

bool TypingPause::eventFilter(QObject *watched, QEvent *event)
{
    // An input method's commit is typing as much as a key press is; a click (新規, a title) is
    // mostly followed by typing at once.
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::InputMethod || type == QEvent::MouseButtonPress)
        m_sinceKey.start();
    return QObject::eventFilter(watched, event);
}

void TypingPause::RunWaiting()
{
    // One box at a time: what comes while one is open waits for it to close.
    if (m_running)
        return;
    const qint64 left = RestLeft();
    if (left > 0) {
        m_wait.start(int(left));
        return;
    }
    if (m_waiting.empty())
        return;
    const std::function<void()> action = std::move(m_waiting.front());
    m_waiting.pop_front();
    {
        const QScopedValueRollback<bool> running(m_running, true);
        action();
    }
    if (!m_waiting.empty())
        RunWaiting();
}

qint64 TypingPause::RestLeft() const
{
    return m_sinceKey.isValid() ? RestMilliseconds - m_sinceKey.elapsed() : 0;
}
