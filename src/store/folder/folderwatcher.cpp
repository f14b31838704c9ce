#include "store/folder/folderwatcher.h"

#include <QFileInfo>

FolderWatcher::FolderWatcher(const QString &folder, QObject *parent)
    : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(QuietMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        WatchMonth(m_month);
        emit Settled();
    });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::Changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FolderWatcher::Changed);
    if (!m_watcher.addPath(folder))
        qWarning("Noterra: changes to the diary's folder by other programs are seen only when the window is "
                 "activated: %s cannot be watched",
            qPrintable(folder));
}

void FolderWatcher::WatchMonth(const QString &path)
{
    // The watch follows a file, not its name: after a rename over it, or a save that kept the old file
    // as .bak, the name leads to a file that is not watched yet.
    if (!m_month.isEmpty())
        m_watcher.removePath(m_month);
    m_month = path;
    if (!path.isEmpty() && QFileInfo(path).isFile())
        m_watcher.addPath(path);
}
