#pragma once

#include "usermessages/storeerror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class XmlDocument;

// Where a month lives on disk and how it gets there and back: file name, atomic writing,
// and keeping aside a file that cannot be read so that nothing overwrites it.
namespace MonthFile {

// "Diary" + year + month + ".xml", e.g. Diary20013.xml.
QString FileName(const QString &year, const QString &month);
QString FilePath(const QString &directory, const QString &year, const QString &month);

struct ReadResult
{
    enum class Status
    {
        Loaded,
        Missing,
        KeptAside
    };
    Status status = Status::Missing;
    QByteArray bytes; // what a loaded file held
    QString keptAsidePath; // where an unreadable file now is
    QString reason; // why it could not be read
};

// What stands at a month's path now: whether there is a file, and its bytes.
struct OnDisk
{
    bool exists = false;
    QByteArray bytes;

    // The whole bytes, not a size or a time stamp: an edit in place can keep both.
    bool operator==(const OnDisk &) const = default;
};

// Files beside the months that sync tools make when both sides changed a month
// ("Diary202612.sync-conflict-….xml", "Diary202612 (conflicted copy ….).xml"), and the other
// version a save kept beside a month ("Diary202612.xml.conflict-YYYYMMDD-HHMMSS"), which reaches
// the other computer through the sync tool; by name, sorted. They are never read as months.
QStringList ConflictCopies(const QString &directory);

// Brings back to one consistent state what saves cut off by a kill or a power cut left beside the
// months: a month moved aside goes back, or becomes the .bak; another program's version becomes a
// conflict copy; a save's own temporary files ("Diary202612.xml.noterra<16 hex digits>.tmp") go. Only
// the program holding the folder's lock may, and before any month is read. A user's name such as
// "Diary20263.xml.mine.tmp" is never touched. Returns what could not be done, each with what the user
// should do, in words for the user.
QStringList RemoveLeftovers(const QString &directory);

// Loads path into doc. A missing file leaves doc empty. A file that exists but cannot be read
// is renamed aside (never overwritten) and doc is left empty. Throws StoreError, in words for the
// user, when even that rename fails, or when something other than a regular file of a month's size
// stands at path (a directory, a named pipe, a device, a file over 256 MB), which is left untouched,
// so the caller can refuse to go on with that month.
ReadResult Read(XmlDocument &doc, const QString &path);

// The bytes at path without loading them. A missing file is no failure; anything that would not be
// read as a month throws StoreError, as Read does.
OnDisk Peek(const QString &path);

// Whether what stands at path is exactly expected: no file, or a regular file of those bytes. Reads
// in pieces and stops at the first difference; false also when the file cannot be read.
bool Holds(const QString &path, const OnDisk &expected);

// Renames the file at path aside as unreadable, as Read does with a file it cannot load.
ReadResult KeepAside(const QString &path, const QString &reason);

// Keeps bytes, another program's version of the month at path, beside it as
// <name>.conflict-YYYYMMDD-HHMMSS; returns that path. Throws StoreError.
QString KeepConflictCopy(const QString &path, const QByteArray &bytes);

struct WriteResult
{
    // Whether what stood at path was not what was expected. Either nothing was written, or the bytes
    // were and the other program's version they displaced is kept at keptPath: the caller merges and
    // writes again.
    bool changedMeanwhile = false;
    QString keptPath;
    QByteArray bytes;
    // Why the replaced file could not stay as <name>.bak, told in words for the user; the month was
    // saved all the same. Empty when it stayed or nothing was replaced.
    QString backupSkipped;
};

// Writes doc to path through a temporary file in the same directory, which must load back as doc
// before it replaces the old file; the old file stays whole on any failure, and when the bytes
// change it stays beside the new one as <name>.bak where it can. With an expectation, what stands at
// path when it is replaced must be exactly what was expected, no file or a file of those bytes;
// otherwise the result says the month changed meanwhile. Throws StoreError with the reason in
// Japanese.
WriteResult Write(const XmlDocument &doc, const QString &path, const std::optional<OnDisk> &expected = std::nullopt);

}
