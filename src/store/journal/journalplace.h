#pragma once

#include "store/folder/diaryfolder.h"
#include "store/journalfiles/journalcontent.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

// Which journal belongs to the diary in one folder: found at the start, and written to while the
// program runs. A journal is named by the diary's id and its folder's path, and records both and the
// folder's device and inode, so the work follows the diary to wherever its folder is now, two copies
// of one diary open at the same time never share a journal, a diary never takes up another's work,
// and an id file changed or lost (a sync tool, an editor, a full disk) orphans none. It never writes
// a month file.
class JournalPlace
{
public:
    explicit JournalPlace(DiaryFolder folder);

    struct Found
    {
        std::optional<JournalContent> content; // the work to bring back, or none
        QString path; // where its journal is
        QString writtenFor; // the folder the work was written in, when that is not this one
        QStringList notices; // for the user: journals kept aside or set aside unused, an unusable folder
        bool folderUnusable = false; // no journal can be kept until the user fixes the state folder
    };
    // At the start, every journal of the state folder that belongs to this folder by its diary's id
    // (or an id of the sync tools' copies of the id file), its path or its device and inode: the
    // newest that is this folder's work is brought back; one whose work the month file already holds
    // is removed; every other is named to the user with where it is. Throws StoreError, in words for
    // the user.
    Found Find();

    // Where this run's journal goes, and the diary's id it records. The id is made with the first
    // journal; a folder that cannot take it (read-only, full, an id file that holds no id) has its
    // journal named by its path alone. For the journal's thread.
    QString Path();
    QByteArray Id();
    QByteArray FolderPath() const { return m_folder.OpenedPath(); }
    QByteArray FolderIdentity() const { return m_identity; }

private:
    enum class Tie
    {
        None, // another diary's
        Ours, // this folder's work
        Copy, // a copy of this diary in a folder that still holds it
        Unsure, // by path or inode alone, without proof
    };
    struct Here
    {
        QByteArray id;
        QByteArrayList copies;
    };

    Tie TieOf(const QString &path, const JournalContent &work, const Here &here) const;
    bool NamedHere(const QString &path, const Here &here) const;
    std::optional<JournalContent> Open(const QString &path, const Here &here, Found &found) const;
    void Take(const QString &path, JournalContent work, Found &found) const;
    // Tells the user of a journal of this folder that is not brought back, and where it is.
    void Name(const QString &path, Tie tie, const JournalContent &work, Found &found) const;
    QString Written(const JournalContent &work) const;
    bool ProvablyHere(const JournalContent &work) const;
    QString SetAside(const QString &path) const;
    void TellUnfinished(const QStringList &paths, Found &found) const;
    void Decide();

    const DiaryFolder m_folder;
    const QByteArray m_identity;
    std::mutex m_mutex;
    bool m_decided = false;
    QByteArray m_id;
};
