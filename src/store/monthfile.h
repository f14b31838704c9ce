#pragma once

#include <QString>

class XmlDocument;

// Where a month lives on disk and how it gets there and back: file name, atomic writing,
// and keeping aside a file that cannot be read so that nothing overwrites it.
namespace MonthFile {

// "Diary" + year + month + ".xml", e.g. Diary20013.xml.
QString FileName(const QString &year, const QString &month);
QString FilePath(const QString &directory, const QString &year, const QString &month);

struct ReadResult
{
    enum class Status { Loaded, Missing, KeptAside };
    Status status = Status::Missing;
    QString keptAsidePath; // where an unreadable file now is
    QString reason;        // why it could not be read
};

// Loads path into doc. A missing file leaves doc empty. A file that exists but cannot be read
// is renamed aside (never overwritten) and doc is left empty. Throws StoreError, in words for the
// user, when even that rename fails, or when something other than a regular file of a month's size
// stands at path (a directory, a named pipe, a device, a file over 256 MB), which is left untouched,
// so the caller can refuse to go on with that month.
ReadResult Read(XmlDocument &doc, const QString &path);

struct WriteResult
{
    // Why the replaced file could not stay as <name>.bak, told in words for the user; the month was
    // saved all the same. Empty when it stayed or nothing was replaced.
    QString backupSkipped;
};

// Writes doc to path through a temporary file in the same directory, which must load back as doc
// before it replaces the old file; the old file stays whole on any failure, and when the bytes
// change it stays beside the new one as <name>.bak where it can. Throws StoreError with the reason
// in Japanese.
WriteResult Write(const XmlDocument &doc, const QString &path);

}
