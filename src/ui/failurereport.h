#pragma once

#include <QString>
#include <functional>

// What the user is told when a window's handling fails: in Japanese, that the diary's files are as
// last saved and what to do, with the store's or the system's text after it. A handling runs at a
// slot boundary, and no exception may leave a Qt slot.
namespace FailureReport {

// Runs handling; whatever it throws reaches report as that text, and goes no further.
void Guarded(const std::function<void()> &handling, const std::function<void(const QString &text)> &report);

}
