#pragma once

#include "ui/messagebox.h"

#include <QList>
#include <QPair>
#include <QString>
#include <functional>

class QWidget;
class TypingPause;

// How the main window tells the user of failures and notices: a message box over the window, with
// the icon of what it asks of the user, or a sink a test puts in its place. Start-up runs before the
// window is on screen, so what it tells waits for the first show and comes in one window. What comes
// of itself, not as the answer to the user's action, waits until typing rests. It decides nothing
// about the diary.
class WindowNotices
{
public:
    using Sink = std::function<void(MessageKind kind, const QString &title, const QString &text)>;

    explicit WindowNotices(QWidget &window);
    ~WindowNotices();

    // The answer to what the user just did.
    void Tell(MessageKind kind, const QString &text);
    void Error(const QString &text) { Tell(MessageKind::Failure, text); }
    // What comes of itself (the journal, other programs), shown once typing rests.
    void TellUnasked(MessageKind kind, const QString &text);
    // Runs a handling so that a failure is told as an error and never leaves the slot.
    void Guard(const std::function<void()> &handling);
    void SetSink(Sink sink);
    // The window is on screen for the first time: what waited is told once the event loop runs.
    void WindowShown();

private:
    void TellWaiting();

    QWidget &m_window;
    TypingPause *m_typingPause;
    Sink m_sink;
    bool m_shown = false;
    QList<QPair<MessageKind, QString>> m_pending;
};
