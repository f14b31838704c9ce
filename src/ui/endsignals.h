#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the signals that end a program from outside (SIGTERM at a shutdown without a session
// manager, SIGHUP from a closed terminal, SIGINT from Ctrl+C) into a Qt signal on the window's
// thread. A signal handler may do almost nothing, so it only writes a byte into a socket pair that
// the event loop watches. One instance at a time.
class EndSignals : public QObject
{
    Q_OBJECT
public:
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

signals:
    void Received();

private:
    QSocketNotifier *m_notifier = nullptr;
};
