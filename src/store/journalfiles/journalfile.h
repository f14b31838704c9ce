#pragma once

#include "store/journalfiles/journalcontent.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Where the journal of one diary folder lives and how it gets there and back. It lives outside
// the diary folder, in the user's own state folder, so that a folder on a memory stick or kept in
// sync between computers neither loses nor spreads it; readable by the user alone.
namespace JournalFile {

// $XDG_STATE_HOME/noterra, or ~/.local/state/noterra when that is unset or not absolute, the home
// taken from the account when HOME is unset; empty when there is no home at all.
QString Folder();

// Why Folder() cannot hold a journal (not a folder, not the user's to write, a symbolic link), in
// words for the user; empty when it can, or when it is still to be made.
QString FolderProblem();

// The journal of a diary folder whose diary has no id, named from a SHA-256 of the folder's path
// bytes; the first version named every journal so.
QString PathFor(const QByteArray &diaryFolderPath);
// The journal of the diary of that id in that folder: a copy of the diary in another folder, open
// at the same time, has a journal of its own.
QString PathFor(const QByteArray &diaryId, const QByteArray &diaryFolderPath);

struct Found
{
    std::optional<JournalContent> content; // nullopt when there is no journal or it was kept aside
    QString keptAsidePath; // where a journal that could not be read now is
    QString reason; // why it could not be read
};

// Reads the journal at path; a symbolic link there is not followed. A journal that cannot be read or
// decoded is renamed aside to
// <path>.damaged-YYYYMMDD-HHMMSS, never deleted and never applied. Throws StoreError, in words for
// the user, when even that rename fails.
Found Read(const QString &path);
// The journal at path when it can be read whole; one that cannot is left as it is, for whichever
// diary it belongs to.
std::optional<JournalContent> Peek(const QString &path);
// Every journal in Folder(), the newest first.
QStringList All();

// Replaces the journal at path so that a crash or power cut at any moment leaves either the
// previous journal or the new one whole: a temporary file beside it (0600) is synced, renamed over
// it, and the folder is synced. Creates the folder 0700 and narrows it to 0700 when it is wider;
// refuses a folder that is a symbolic link. Throws StoreError with the reason in Japanese.
void Write(const QString &path, const QByteArray &bytes);

// Deletes the journal at path and what a cut-off write or a notice left beside it, and syncs the folder, so
// that a removed journal does not come back after a power cut. Throws StoreError.
void Remove(const QString &path);

}
