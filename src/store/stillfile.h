#pragma once

#include <QString>

// A month file that another program is writing at this moment reads as broken. It is read once it
// has stayed still as long as the folder's watcher waits before it looks, so that a file half-way
// through is neither set aside nor shown as empty.
namespace StillFile {

// Returns at once when the file at path is missing or can be read as a month; otherwise waits while
// it keeps changing, and returns once it has been still for a moment, readable or not. Throws
// StoreError, in words for the user, when it is still changing after some seconds.
void WaitWhileWritten(const QString &path);

}
