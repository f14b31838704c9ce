#pragma once

#include "store/monthfile/monthfile.h"

#include <QString>

class XmlDocument;

// A month file that another program is writing at this moment reads as broken. It is read again
// once it has stayed still as long as the folder's watcher waits before it looks, so that a file
// half-way through is neither set aside nor shown as empty.
namespace StillFile {

// Reads the month file at path into doc as MonthFile::Read does, but one that cannot be loaded is
// read again only once it has stopped changing, and kept aside only when it is unreadable then.
// Throws StoreError as MonthFile::Read does, and, in words for the user, when the file is still
// changing after some seconds.
MonthFile::ReadResult Read(XmlDocument &doc, const QString &path);

}
