#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Sync tools' copies of months beside the month files, read only to tell the user what in them the
// diary lacks. They are never loaded as months, changed or removed: what they hold is the user's.
namespace ConflictCopy {

// The month a copy is compared with: the loaded month, whose file may not hold its latest work.
struct Loaded
{
    QString year;
    QString month;
    QByteArray bytes;
};

// The days on which the copy named name in directory holds an entry that its month does not hold on
// that day; blank entries do not count. Its month is loaded when the copy is of that month, else the
// month's file in directory as it is; a month that cannot be read holds nothing. Throws StoreError,
// in words for the user, when the copy cannot be read.
std::vector<int> DaysMissing(const QString &directory, const QString &name, const Loaded &loaded);

}
