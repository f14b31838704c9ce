#include "store/monthmerge.h"

#include "store/diarynames.h"
#include "store/monthrules.h"
#include "store/xml/xmldom.h"

#include <QStringList>

namespace MonthMerge {

namespace {

constexpr int FirstDay = 1;
constexpr int LastDay = 31;

std::vector<XmlNode> ArticlesOf(const XmlDocument &doc, int day)
{
    std::vector<XmlNode> articles;
    for (const XmlNode &article : doc.getElementsByTagName(DiaryNames::Article)) {
        if (MonthRules::ArticleDay(article) == day)
            articles.push_back(article);
    }
    return articles;
}

// What a day holds as the user sees it: the texts of its entries that are not blank, in order. An
// empty ARTICLE is the same as none: 新規 left blank leaves one, and so do other tools. A day
// emptied on one side still differs from the same day before, which had entries.
QStringList DayContent(const XmlDocument *doc, int day)
{
    QStringList content;
    if (doc == nullptr)
        return content;
    for (const XmlNode &article : ArticlesOf(*doc, day)) {
        for (const XmlNode &entry : article.childNodes()) {
            const QString text = entry.text();
            if (!MonthRules::IsBlank(text))
                content.append(text);
        }
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

std::vector<int> DifferingDays(const XmlDocument &one, const XmlDocument &other)
{
    std::vector<int> days;
    for (int day = FirstDay; day <= LastDay; ++day) {
        if (DayContent(&one, day) != DayContent(&other, day))
            days.push_back(day);
    }
    return days;
}

}
