#pragma once

#include <QString>

// Names for files kept beside the one they stand for: a month that could not be read, another
// program's version of a month, a journal that could not be read or matched.
namespace KeptFileName {

// path + kind + the time, e.g. "Diary20263.xml.unreadable-20260315-120000", with "-2", "-3" … after
// it when that name is taken, so that nothing kept earlier is overwritten.
QString NameFor(const QString &path, const QString &kind);
// Gives file the name NameFor(path, kind) in one rename of the file system, never by a copy: another
// program may still be writing into it, and a copy would miss what it writes next while removing the
// old name could take a file put there meanwhile. Returns the new name, or an empty one with errno set.
QString MoveAside(const QString &file, const QString &path, const QString &kind);
// Gives file the name kept in place of the file there, in one step where the file system can. FAT
// through Debian 13's FUSE driver refuses to rename over a name; there the file at kept is removed
// first, so only a name whose file may be lost for that moment is given (a .bak, a cut-off save's
// file). False, with errno set, when it cannot be done.
bool Replace(const QString &file, const QString &kept);

}
