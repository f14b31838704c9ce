#include "search/monthlisting.h"

#include <QFile>
#include <QRegularExpression>

#include <dirent.h>

#include <algorithm>
#include <cstring>

namespace MonthListing {

std::vector<ListedMonth> List(const QString &folder)
{
    static const QRegularExpression monthName(QStringLiteral("^Diary([1-9][0-9]{3})(1[0-2]|[1-9])\\.xml$"));
    std::vector<ListedMonth> months;
    DIR *directory = ::opendir(QFile::encodeName(folder).constData());
    if (directory == nullptr)
        return months;
    // NOLINTNEXTLINE(concurrency-mt-unsafe): unsafe only on a directory stream shared between threads.
    while (const dirent *item = ::readdir(directory)) {
        if (std::strncmp(item->d_name, "Diary", 5) != 0)
            continue;
        const QString name = QFile::decodeName(item->d_name);
        const QRegularExpressionMatch match = monthName.match(name);
        if (!match.hasMatch())
            continue;
        ListedMonth listed;
        listed.year = match.captured(1).toInt();
        listed.month = match.captured(2).toInt();
        listed.path = folder + u'/' + name;
        listed.stamped = MonthEntries::StampOf(listed.path, listed.stamp);
        months.push_back(std::move(listed));
    }
    ::closedir(directory);
    std::sort(months.begin(), months.end(), [](const ListedMonth &a, const ListedMonth &b) {
        return a.year != b.year ? a.year > b.year : a.month > b.month;
    });
    return months;
}

}
