#include "mainwindow/windownotices.h"

#include "ui/failurereport.h"
#include "ui/typingpause.h"

#include <QTimer>
#include <QWidget>

WindowNotices::WindowNotices(QWidget &window)
    : m_window(window)
    , m_typingPause(new TypingPause(&window))
{
}

WindowNotices::~WindowNotices() = default;

void WindowNotices::Tell(MessageKind kind, const QString &text)
{
    if (!m_shown) {
        m_pending.append({ kind, text });
        return;
    }
    const QString title = MessageBox::TitleOf(kind);
    if (m_sink)
        m_sink(kind, title, text);
    else
        MessageBox::Show(&m_window, kind, title, text);
}

void WindowNotices::TellUnasked(MessageKind kind, const QString &text)
{
    m_typingPause->Run([this, kind, text] { Tell(kind, text); });
}

void WindowNotices::Guard(const std::function<void()> &handling)
{
    FailureReport::Guarded(handling, [this](const QString &text) { Error(text); });
}

void WindowNotices::SetSink(Sink sink)
{
    m_sink = std::move(sink);
}

void WindowNotices::WindowShown()
{
    if (std::exchange(m_shown, true))
        return;
    QTimer::singleShot(0, &m_window, [this] { TellWaiting(); });
}

void WindowNotices::TellWaiting()
{
    const auto pending = std::exchange(m_pending, {});
    if (pending.isEmpty())
        return;
    // One window, with the icon of its weightiest part: a row of boxes at start is closed unread.
    MessageKind kind = MessageKind::Notice;
    QStringList texts;
    for (const auto &[each, text] : pending) {
        kind = std::max(kind, each);
        texts.append(text);
    }
    Tell(kind, texts.join(QStringLiteral("\n\n")));
}
