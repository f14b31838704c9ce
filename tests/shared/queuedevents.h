#pragma once

#include <QObject>
#include <QTimer>
#include <QtTest>

// Waits until everything queued to this thread's event loop so far has run: a signal queued from
// another thread, a notice posted for later. What did not come by then was never on its way, so a
// test can tell "nothing happened" without a fixed wait.
inline bool QueuedEventsHandled()
{
    QObject context; // the marker goes with it when the wait fails
    bool reached = false;
    QTimer::singleShot(0, &context, [&reached] { reached = true; });
    return QTest::qWaitFor([&reached] { return reached; }, 60000);
}
