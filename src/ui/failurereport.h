#pragma once

#include <QString>
#include <functional>

// What the user is told when a window's handling fails: the store's own message, or the text
// the system gave. A handling runs at a slot boundary, and no exception may leave a Qt slot.
namespace FailureReport {

// Runs handling; whatever it throws reaches report as that text, and goes no further.
void Guarded(const std::function<void()> &handling, const std::function<void(const QString &text)> &report);

}
