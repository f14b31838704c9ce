#include "search/monthfileswatcher.h"

#include "search/monthlisting.h"
#include "store/folder/folderwatcher.h"

MonthFilesWatcher::MonthFilesWatcher(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(FolderWatcher::QuietMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        WatchMonths();
        emit Settled();
    });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    if (!m_watcher.addPath(folder))
        qWarning("Noterra: the search sees changes by other programs only when its window is activated: %s "
                 "cannot be watched",
            qPrintable(folder));
    WatchMonths();
}

void MonthFilesWatcher::WatchMonths()
{
    // A watch follows a file, not its name: after a rename over it the name leads to another file.
    const QStringList watched = m_watcher.files();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    QStringList months;
    for (const MonthListing::ListedMonth &listed : MonthListing::List(m_folder))
        months.append(listed.path);
    // A month that cannot be watched is still seen when its name changes or the window is activated.
    if (!months.isEmpty())
        m_watcher.addPaths(months);
}
