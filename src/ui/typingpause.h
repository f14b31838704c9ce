#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

// Holds back what would take the keyboard from a user who is typing: a notice that is not the
// answer to the user's own action waits until keys and clicks have rested a moment, then the
// waiting ones run in the order they came.
class TypingPause : public QObject
{
    Q_OBJECT
public:
    explicit TypingPause(QObject *parent = nullptr);
    ~TypingPause() override;

    void Run(std::function<void()> action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void RunWaiting();
    qint64 RestLeft() const;

    QElapsedTimer m_sinceKey;
    QTimer m_wait;
    std::deque<std::function<void()>> m_waiting;
    bool m_running = false;
};
