#pragma once

#include <QByteArray>

// The diary's identity of its own: a random id in the hidden file .noterra.id in the diary's folder,
// made once and never changed. The journal of unsaved work is matched to a diary by it, so that the
// work follows its diary wherever the folder is now (moved, a memory stick mounted under another
// name) and a new diary made where another one was never receives that one's work. The file travels
// with the folder: a diary kept in sync between computers is the same diary on each of them.
namespace DiaryId {

// The id of the diary in the folder at path (the system's bytes), or empty when it has none or the
// file holds no id.
QByteArray Read(const QByteArray &folderPath);

// The folder's id, made now when it has none; an id that another program made meanwhile is taken as
// it is. A file cut off by a crash before it held its id is replaced. Throws StoreError.
QByteArray Make(const QByteArray &folderPath);

}
