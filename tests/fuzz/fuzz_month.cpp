#include "search/monthindex.h"
#include "search/searchquery.h"
#include "store/month/monthentries.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

// Whatever a month file holds, the store's reader gives its entries or says why it could not, and
// the search's index over those entries finds each entry at most once.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("Diary202612.xml"));
    static const SearchQuery query(QStringLiteral(u"日記 あ"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();
    MonthEntries::MonthRead read = MonthEntries::Read(path);
    if (read.status == MonthEntries::MonthRead::Status::Unreadable) {
        if (read.reason.isEmpty() || !read.entries.empty())
            std::abort();
        return 0;
    }
    if (read.status != MonthEntries::MonthRead::Status::Read)
        std::abort();
    const size_t count = read.entries.size();
    const MonthIndex month(2026, 12, read.stamp, std::move(read.entries));
    std::vector<int> found;
    month.Search(query, found);
    for (size_t at = 0; at < found.size(); ++at) {
        if (found[at] < 0 || size_t(found[at]) >= count || (at > 0 && found[at] <= found[at - 1]))
            std::abort();
    }
    return 0;
}
