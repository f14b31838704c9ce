#pragma once

#include "store/journalfiles/journalcontent.h"

#include <QByteArray>

#include <memory>

class XmlDocument;

// The unsaved work at one moment, taken on the window's thread: the small values and a copy of the
// month document, cheap to take however large the month is. Writing the month out into bytes, the
// costly part, waits for the journal's own thread. The copy shares nothing with the loaded month.
class JournalSnapshot
{
public:
    JournalSnapshot(JournalContent content, std::shared_ptr<const XmlDocument> month);

    // The journal's bytes, recorded as written for the diary of that id in that folder, whose
    // device and inode are folderIdentity. Runs on any thread. Throws StoreError.
    QByteArray Encode(const QByteArray &diaryId, const QByteArray &folderPath, const QByteArray &folderIdentity) const;
    // Whether other holds the same work; the months are compared by their content.
    bool SameWork(const JournalSnapshot &other) const;

private:
    JournalContent m_content; // all but the month's bytes
    std::shared_ptr<const XmlDocument> m_month;
};
