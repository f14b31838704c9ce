#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Tells when the diary's folder or the loaded month's file changed and has then stayed as it is for
// a moment: sync tools rename new files into the folder, and editors write a month in place, some
// in pieces with pauses between. What changed, and whether it can be read, is for the listener to
// find out; a file that is still being written is seen again when its writer goes on.
class FolderWatcher : public QObject
{
    Q_OBJECT
public:
    // How long a file must stay as it is before it is looked at: long enough to see a sync tool's
    // rename and a write in pieces as one change, short enough that the window follows at once to
    // the eye.
    static constexpr int QuietMilliseconds = 400;

    explicit FolderWatcher(const QString &folder, QObject *parent = nullptr);

    // Watches the file at path for writes in place, instead of the one watched before. A file that
    // does not exist yet is watched once it appears, as the folder changes.
    void WatchMonth(const QString &path);
    // Tells Settled again after the next quiet moment, for a listener that could not look now.
    void Later() { m_settle.start(); }

signals:
    void Settled();

private:
    void Changed() { m_settle.start(); }

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_month;
};
