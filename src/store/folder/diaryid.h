#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The diary's identity of its own: a random id in the hidden file .noterra.id in the diary's folder,
// made once and never changed. The journal of unsaved work is matched to a diary by it, so that the
// work follows its diary wherever the folder is now (moved, a memory stick mounted under another
// name) and a new diary made where another one was never receives that one's work. The file travels
// with the folder: a diary kept in sync between computers is the same diary on each of them. An id
// file the program did not just make is the user's or the sync tool's: it is never replaced or
// deleted, whatever it holds.
namespace DiaryId {

// The id of the diary in the folder at path (the system's bytes), or empty when it has none or the
// file holds no id. An id saved again by a text editor (a byte order mark, CRLF, capitals) is the
// same id.
QByteArray Read(const QByteArray &folderPath);

// The ids in the copies that sync tools made of the id file when two computers made one each
// (".noterra.sync-conflict-….id", ".noterra (… conflicted copy ….).id"): ids this folder's diary
// had on some computer.
QByteArrayList Copies(const QByteArray &folderPath);

// The folder's id, made now when it has none; an id that another program made meanwhile is taken as
// it is. Throws StoreError when none can be made, and when the file is there but holds no id.
QByteArray Make(const QByteArray &folderPath);

}
