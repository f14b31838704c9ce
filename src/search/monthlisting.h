#pragma once

#include "store/month/monthentries.h"

#include <QString>

#include <vector>

// The month files of a diary's folder by their exact names, "Diary" + a four-digit year + a month
// of 1 to 12 without a leading zero + ".xml": never a .bak, a conflict copy, a file kept aside as
// unreadable or a save's temporary file.
namespace MonthListing {

struct ListedMonth
{
    int year = 0;
    int month = 0;
    QString path;
    // As the name stands now; none when even that cannot be told, and reading says why.
    bool stamped = false;
    MonthEntries::FileStamp stamp;
};

// Newest month first.
std::vector<ListedMonth> List(const QString &folder);

}
