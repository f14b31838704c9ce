#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// The diary's folder, held open from the start: month files, their .bak and the lock are reached
// through the open folder, never again by its name, so that nothing lands in another folder that
// has taken the name (the empty mount point of a memory stick that was pulled). The name is still
// checked before every write: an open folder on a disk that was unmounted keeps answering, although
// the user can no longer reach what is written there. Copies share the one open folder.
class DiaryFolder
{
public:
    // Opens the folder at path, spelled in the system's bytes. Throws StoreError, in words for the user.
    explicit DiaryFolder(const QByteArray &path);
    // Tests and callers that hold a folder by Qt's name pass it as it is.
    explicit DiaryFolder(const QString &path);

    // A path through which Qt and the system reach the open folder itself, whatever its name is now.
    QString Path() const;
    // The path the folder was opened by, in the system's bytes.
    QByteArray OpenedPath() const;
    // The folder's name as the user knows it, for messages.
    QString ShownName() const;
    // text with the folder's name wherever it says Path(), so that messages name the user's folder.
    QString Shown(const QString &text) const;
    // Stays the same for one folder while the program runs, however its name is spelled: its device
    // and inode.
    QString Identity() const;
    // The identity of the folder at path now, spelled as Identity() spells it; empty when there is none.
    static QString IdentityOf(const QByteArray &path);
    // Throws StoreError, in words for the user, unless the folder's name still leads to this folder.
    void VerifyInPlace() const;

private:
    struct Open;
    std::shared_ptr<const Open> m_open;
};
