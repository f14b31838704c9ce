#include "store/merge/monthmerge.h"

#include "store/merge/entrymerge.h"
#include "store/monthfile/diarynames.h"
#include "store/monthfile/monthrules.h"
#include "store/xml/xmldom.h"

#include <algorithm>

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

// A day's entries as the user sees them: those that are not blank, in order, whatever ARTICLE of
// the day holds them. An empty ARTICLE is the same as none: 新規 left blank leaves one, and so do
// other tools.
struct DayEntries
{
    std::vector<XmlNode> nodes;
    QStringList texts;
};

DayEntries EntriesOf(const XmlDocument *doc, int day)
{
    DayEntries entries;
    if (doc == nullptr)
        return entries;
    for (const XmlNode &article : ArticlesOf(*doc, day)) {
        for (const XmlNode &entry : article.childNodes()) {
            const QString text = entry.text();
            if (!MonthRules::IsBlank(text)) {
                entries.nodes.push_back(entry);
                entries.texts.append(text);
            }
        }
    }
    return entries;
}

// The entries of a month that no day holds: in an ARTICLE that names no day, or in none.
QStringList UndatedTexts(const XmlDocument &doc)
{
    QStringList texts;
    for (const XmlNode &entry : doc.getElementsByTagName(DiaryNames::Text)) {
        const XmlNode parent = entry.parentNode();
        const bool dated
            = !parent.isNull() && parent.nodeName() == DiaryNames::Article && MonthRules::ArticleDay(parent);
        if (!dated && !MonthRules::IsBlank(entry.text()))
            texts.append(entry.text());
    }
    return texts;
}

void PutInDay(XmlDocument &disk, const XmlDocument &mine, int day)
{
    for (const XmlNode &article : ArticlesOf(mine, day))
        disk.documentElement().appendChild(disk.importNode(article));
}

// Where entries of mine that follow the disk's last entry of the day go: just after it, before
// whatever else its ARTICLE holds after it. Null when they are appended to parent.
XmlNode NodeAfter(const XmlNode &node)
{
    const std::vector<XmlNode> siblings = node.parentNode().childNodes();
    const auto at = std::find(siblings.cbegin(), siblings.cend(), node);
    return at == siblings.cend() || at + 1 == siblings.cend() ? XmlNode() : *(at + 1);
}

// The ARTICLE that takes mine's entries on a day where the disk has none left to stand beside.
XmlNode ArticleFor(XmlDocument &disk, int day)
{
    const std::vector<XmlNode> articles = ArticlesOf(disk, day);
    if (!articles.empty())
        return articles.front();
    XmlNewNode article = disk.createElement(DiaryNames::Article);
    article.node().setAttribute(DiaryNames::Date, QString::number(day));
    return disk.documentElement().appendChild(std::move(article));
}

// Makes the disk's day what the picks say, in place: the disk's entries it keeps stay where they are
// with their markup, mine's go in beside the disk's entry they followed, and the rest go.
void ApplyToDay(XmlDocument &disk, const XmlDocument &mine, int day, const DayEntries &there, const DayEntries &here,
    const std::vector<EntryMerge::Pick> &picks)
{
    const bool onlyMine = std::all_of(
        picks.cbegin(), picks.cend(), [](const EntryMerge::Pick &p) { return p.side == EntryMerge::Pick::Side::Here; });
    if (there.nodes.empty() && onlyMine && picks.size() == here.nodes.size() && ArticlesOf(disk, day).empty()) {
        // A day that is mine alone keeps its ARTICLEs as this program wrote them.
        PutInDay(disk, mine, day);
        return;
    }
    std::vector<bool> kept(there.nodes.size(), false);
    std::size_t next = 0;
    const XmlNode afterLast = there.nodes.empty() ? XmlNode() : NodeAfter(there.nodes.back());
    for (const EntryMerge::Pick &pick : picks) {
        if (pick.side == EntryMerge::Pick::Side::There) {
            kept[pick.index] = true;
            next = pick.index + 1;
            continue;
        }
        XmlNewNode entry = disk.importNode(here.nodes[pick.index]);
        if (next < there.nodes.size())
            there.nodes[next].parentNode().insertBefore(std::move(entry), there.nodes[next]);
        else if (!afterLast.isNull())
            afterLast.parentNode().insertBefore(std::move(entry), afterLast);
        else
            (there.nodes.empty() ? ArticleFor(disk, day) : there.nodes.back().parentNode())
                .appendChild(std::move(entry));
    }
    for (std::size_t index = 0; index < there.nodes.size(); ++index) {
        if (!kept[index])
            there.nodes[index].parentNode().removeChild(there.nodes[index]);
    }
}

}

std::vector<int> Merge(
    XmlDocument &disk, const XmlDocument *base, const XmlDocument &mine, const std::set<int> &changedDays)
{
    std::vector<int> conflicts;
    for (const int day : changedDays) {
        const DayEntries there = EntriesOf(&disk, day);
        const DayEntries here = EntriesOf(&mine, day);
        const EntryMerge::Result merged = EntryMerge::Merge(EntriesOf(base, day).texts, there.texts, here.texts);
        if (merged.conflict)
            conflicts.push_back(day);
        ApplyToDay(disk, mine, day, there, here, merged.picks);
    }
    return conflicts;
}

std::optional<std::vector<int>> TakeInCopy(XmlDocument &month, const XmlDocument &copy)
{
    // What no day holds cannot be put in its place: such a copy is the user's to look into.
    const QStringList held = UndatedTexts(month);
    for (const QString &text : UndatedTexts(copy)) {
        if (!held.contains(text))
            return std::nullopt;
    }
    std::vector<std::optional<std::vector<EntryMerge::Pick>>> unions;
    for (int day = FirstDay; day <= LastDay; ++day) {
        unions.push_back(EntryMerge::Union(EntriesOf(&month, day).texts, EntriesOf(&copy, day).texts));
        if (!unions.back())
            return std::nullopt;
    }
    std::vector<int> days;
    for (int day = FirstDay; day <= LastDay; ++day) {
        const std::vector<EntryMerge::Pick> &picks = *unions[day - FirstDay];
        if (std::none_of(picks.cbegin(), picks.cend(),
                [](const EntryMerge::Pick &pick) { return pick.side == EntryMerge::Pick::Side::Here; }))
            continue;
        ApplyToDay(month, copy, day, EntriesOf(&month, day), EntriesOf(&copy, day), picks);
        days.push_back(day);
    }
    return days;
}

std::vector<int> DifferingDays(const XmlDocument &one, const XmlDocument &other)
{
    std::vector<int> days;
    for (int day = FirstDay; day <= LastDay; ++day) {
        if (EntriesOf(&one, day).texts != EntriesOf(&other, day).texts)
            days.push_back(day);
    }
    return days;
}

}
