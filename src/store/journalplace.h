#pragma once

#include "store/diaryfolder.h"
#include "store/journalcontent.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

// Which journal belongs to the diary in one folder: found at the start, and written to while the
// program runs. A journal is named by the diary's id and its folder's path, so the work follows the
// diary to wherever its folder is now, two copies of one diary open at the same time never share a
// journal, and a diary never takes up another's work. It never writes a month file.
class JournalPlace
{
public:
    explicit JournalPlace(DiaryFolder folder);

    struct Found
    {
        std::optional<JournalContent> content; // the work to bring back, or none
        QString path; // where its journal is
        QStringList notices; // for the user: journals kept aside or set aside unused, an unusable folder
        bool folderUnusable = false; // no journal can be kept until the user fixes the state folder
    };
    // At the start: this diary's journal of this folder; else one of this diary's whose folder holds
    // it no more (moved, a memory stick mounted under another name); else one named by this folder's
    // path alone, when the month file is still exactly what that journal started from. A journal
    // whose work the month file already holds is removed. Throws StoreError, in words for the user.
    Found Find();

    // Where this run's journal goes, and the diary's id it records. The id is made with the first
    // journal; a folder that cannot take it (read-only) has its journal named by its path alone, as
    // before. For the journal's thread.
    QString Path();
    QByteArray Id();
    QByteArray FolderPath() const { return m_folder.OpenedPath(); }

private:
    void Decide();
    bool ProvablyHere(const JournalContent &work) const;
    bool OursToTake(const QString &path, const JournalContent &work, const QByteArray &id) const;
    QString SetAside(const QString &path) const;

    const DiaryFolder m_folder;
    std::mutex m_mutex;
    bool m_decided = false;
    QByteArray m_id;
};
