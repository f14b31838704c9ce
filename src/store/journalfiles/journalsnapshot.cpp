#include "store/journalfiles/journalsnapshot.h"

#include "store/journalfiles/journalformat.h"
#include "store/xml/xmldom.h"

#include <utility>

JournalSnapshot::JournalSnapshot(JournalContent content, std::shared_ptr<const XmlDocument> month)
    : m_content(std::move(content))
    , m_month(std::move(month))
{
}

QByteArray JournalSnapshot::Encode(
    const QByteArray &diaryId, const QByteArray &folderPath, const QByteArray &folderIdentity) const
{
    JournalContent content = m_content;
    content.monthBytes = m_month->saveXml();
    content.diaryId = diaryId;
    content.folderPath = folderPath;
    content.folderIdentity = folderIdentity;
    return JournalFormat::Encode(content);
}

bool JournalSnapshot::SameWork(const JournalSnapshot &other) const
{
    return m_content == other.m_content && m_month->sameContent(*other.m_month);
}
