#pragma once

#include <QString>

#include <vector>

class XmlDocument;

// A month's entries as the main window reaches them, for reading only: the search looks into every
// month file through here without loading it as the month being edited, so nothing is kept aside,
// merged or written, whatever the file holds.
namespace MonthEntries {

// One entry: its day, its place in that day's title list, and its text in stored form.
struct EntryRow
{
    int day = 0;
    int position = 0;
    QString text;
};

// Who a month file was when it was read. A save, a merge or another program's change gives the file
// another one: a rename brings another inode, a write in place another change time even when the
// size and the modification time are kept.
struct FileStamp
{
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0;
    qint64 changed = 0;

    bool operator==(const FileStamp &) const = default;
};

struct MonthRead
{
    enum class Status
    {
        Read,
        Missing,
        Unreadable
    };
    Status status = Status::Missing;
    FileStamp stamp;
    std::vector<EntryRow> entries;
    // Why an existing file could not be read, in the system's or the XML library's words.
    QString reason;
};

// Every entry the title list shows, day by day: those of each day's first ARTICLE, as selecting
// the day shows them. An ARTICLE without a day, or a later one of the same day, is never shown.
std::vector<EntryRow> Of(const XmlDocument &doc);

// The entries of the month file at path. A name that no longer exists is Missing; anything that
// is no regular file of a month's size, or does not load, is Unreadable with its reason.
MonthRead Read(const QString &path);

// What stands at path now, without reading it; false when there is no file to stamp.
bool StampOf(const QString &path, FileStamp &stamp);

}
