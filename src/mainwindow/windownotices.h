#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <functional>

class QWidget;

// How the main window tells the user of failures and notices: a message box over the window, or a
// sink a test puts in its place. Start-up runs before the window is on screen, so what it tells
// waits for the first show. It decides nothing about the diary.
class WindowNotices
{
public:
    using Sink = std::function<void(const QString &title, const QString &text)>;

    explicit WindowNotices(QWidget &window);

    void Error(const QString &text);
    void Notice(const QString &text);
    // Runs a handling so that a failure is told as an error and never leaves the slot.
    void Guard(const std::function<void()> &handling);
    void SetSink(Sink sink);
    // The window is on screen for the first time: what waited is told once the event loop runs.
    void WindowShown();

private:
    void Tell(const QString &title, const QString &text);

    QWidget &m_window;
    Sink m_sink;
    bool m_shown = false;
    QList<QPair<QString, QString>> m_pending;
};
