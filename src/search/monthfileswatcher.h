#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Tells when the month files of a diary's folder changed and have then stayed as they are for a
// moment: added, renamed over, removed, or written in place by an editor. The folder alone tells
// only of names; each month file is watched as well, and the watches follow the files that bear the
// names after every change. What changed is for the search to find out.
class MonthFilesWatcher : public QObject
{
    Q_OBJECT
public:
    explicit MonthFilesWatcher(const QString &folder, QObject *parent = nullptr);

signals:
    void Settled();

private:
    void WatchMonths();

    QString m_folder;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
