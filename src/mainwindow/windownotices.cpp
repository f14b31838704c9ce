#include "mainwindow/windownotices.h"

#include "ui/failurereport.h"

#include <QMessageBox>
#include <QTimer>

namespace {
const QString ErrorTitle = QStringLiteral("エラー");
const QString NoticeTitle = QStringLiteral("お知らせ");
}

WindowNotices::WindowNotices(QWidget &window)
    : m_window(window)
{
}

void WindowNotices::Error(const QString &text)
{
    Tell(ErrorTitle, text);
}

void WindowNotices::Notice(const QString &text)
{
    Tell(NoticeTitle, text);
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
    QTimer::singleShot(0, &m_window, [this] {
        const auto pending = std::exchange(m_pending, {});
        for (const auto &[title, text] : pending)
            Tell(title, text);
    });
}

void WindowNotices::Tell(const QString &title, const QString &text)
{
    if (!m_shown) {
        m_pending.append({ title, text });
        return;
    }
    if (m_sink)
        m_sink(title, text);
    else
        QMessageBox::warning(&m_window, title, text);
}
