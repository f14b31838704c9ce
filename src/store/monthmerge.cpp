#include "store/monthmerge.h"

#include "store/diarynames.h"
#include "store/monthdocument.h"
#include "store/xml/xmldom.h"

#include <QStringList>

namespace MonthMerge {

namespace {

std::vector<XmlNode> ArticlesOf(const XmlDocument &doc, int day)
{
    std::vector<XmlNode> articles;
    for (const XmlNode &article : doc.getElementsByTagName(DiaryNames::Article)) {
        if (MonthDocument::ArticleDay(article) == day)
            articles.push_back(article);
    }
    return articles;
}

// What a day holds as the user sees it: its ARTICLEs and their entries' texts, in order. An
// empty ARTICLE counts, so that a day emptied on one side differs from a day never written.
QStringList DayContent(const XmlDocument *doc, int day)
{
    QStringList content;
    if (doc == nullptr)
        return content;
    for (const XmlNode &article : ArticlesOf(*doc, day)) {
        content.append(QStringLiteral("\x01"));
        for (const XmlNode &entry : article.childNodes())
            content.append(entry.text());
    }
    return content;
}

void PutInDay(XmlDocument &disk, const XmlDocument &mine, int day)
{
    const std::vector<XmlNode> old = ArticlesOf(disk, day);
    XmlNode root = disk.documentElement();
    for (const XmlNode &article : ArticlesOf(mine, day)) {
        if (old.empty())
            root.appendChild(disk.importNode(article));
        else
            root.insertBefore(disk.importNode(article), old.front());
    }
    for (const XmlNode &article : old)
        article.parentNode().removeChild(article);
}

}

std::vector<int> Merge(
    XmlDocument &disk, const XmlDocument *base, const XmlDocument &mine, const std::set<int> &changedDays)
{
    std::vector<int> conflicts;
    for (const int day : changedDays) {
        const QStringList there = DayContent(&disk, day);
        const QStringList here = DayContent(&mine, day);
        const QStringList before = DayContent(base, day);
        // A day edited here and back again, or given a blank entry that the save dropped, holds
        // nothing of this side's: the other side's change of it stands.
        if (there == here || here == before)
            continue;
        if (there != before)
            conflicts.push_back(day);
        PutInDay(disk, mine, day);
    }
    return conflicts;
}

}
