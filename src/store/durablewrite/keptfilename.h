#pragma once

#include <QString>

// Names for files kept beside the one they stand for: a month that could not be read, another
// program's version of a month, a journal that could not be read or matched.
namespace KeptFileName {

// path + kind + the time, e.g. "Diary20263.xml.unreadable-20260315-120000", with "-2", "-3" … after
// it when that name is taken, so that nothing kept earlier is overwritten.
QString NameFor(const QString &path, const QString &kind);

}
