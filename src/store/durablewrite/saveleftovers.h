#pragma once

#include <QStringList>

// What saves cut off by a kill or a power cut left beside the month files, read at start by the
// names and tags of SaveNames and brought to one consistent state: a month set aside goes back to its
// name or becomes the .bak, a version of another program's becomes a conflict copy, and only files
// proven to be a save's own and redundant are removed. Only the program holding the folder's lock
// may run it; nothing that any other name holds is touched.
namespace SaveLeftovers {

// Returns what could not be done, each with what the user should do and the reason, in words for the user.
QStringList Resolve(const QString &directory);

}
