#pragma once

#include <QObject>
#include <QStringList>

struct FollowedVersion;
class DayView;
class DiaryMonth;
class FolderWatcher;
class WindowNotices;

// Follows what other programs (sync tools, editors, the same diary on another computer) do to the
// diary's folder while the window is open: the lock's copies go, the loaded month is read again,
// new copies of months are named. Watched while the program runs, and looked at when the window is
// activated. It never writes a month file: work not yet saved is merged at the save points.
class FolderFollower : public QObject
{
    Q_OBJECT
public:
    // The main window owns it; it has no parent in the object tree.
    FolderFollower(DiaryMonth &month, DayView &dayView, WindowNotices &notices);

    void FollowFolder();
    // Temporary files of saves that were cut off, left beside the months.
    void RemoveLeftovers();

private:
    // The loaded month is read again when another program changed its file, the new file can be
    // read and nothing is unsaved; an open entry stays open where it stands.
    void FollowChangesElsewhere();
    // Text the window showed that the followed version took out of the month: where it is now.
    void ReportGoneText(const FollowedVersion &followed);
    // Sync tools' copies of months beside the month files, the other versions that saves on other
    // computers kept beside them, and the copies a save took in, each named once: those there at
    // start, then each as it appears.
    void ReportConflictCopies();
    QString DescribeConflictCopy(const QString &name) const;

    DiaryMonth &m_month;
    DayView &m_dayView;
    WindowNotices &m_notices;
    FolderWatcher *m_watcher = nullptr;
    QStringList m_namedCopies;
    QString m_toldFailure;
};
