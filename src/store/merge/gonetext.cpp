#include "store/merge/gonetext.h"

#include "store/monthfile/diarynames.h"
#include "store/monthfile/monthfile.h"
#include "store/monthfile/monthrules.h"
#include "store/xml/xmldom.h"
#include "usermessages/storeerror.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <map>

namespace GoneText {

namespace {

// The texts of the month's entries that are not blank, by day; an ARTICLE that names no day is left out.
std::map<int, QStringList> TextsByDay(const XmlDocument &doc)
{
    std::map<int, QStringList> days;
    for (const XmlNode &article : doc.getElementsByTagName(DiaryNames::Article)) {
        const std::optional<int> day = MonthRules::ArticleDay(article);
        for (const XmlNode &entry : article.childNodes()) {
            if (day && !MonthRules::IsBlank(entry.text()))
                days[*day].append(entry.text());
        }
    }
    return days;
}

bool HoldsAll(const QString &path, const QStringList &texts)
{
    XmlDocument copy;
    try {
        const MonthFile::OnDisk there = MonthFile::Peek(path);
        if (!there.exists || !copy.loadXml(there.bytes, nullptr))
            return false;
    } catch (const StoreError &) {
        // Not a file that could hold a month: the text is kept elsewhere.
        return false;
    }
    QStringList held;
    for (const XmlNode &entry : copy.getElementsByTagName(DiaryNames::Text))
        held.append(entry.text());
    return std::all_of(texts.cbegin(), texts.cend(), [&held](const QString &text) { return held.contains(text); });
}

}

void Find(const XmlDocument &before, const XmlDocument &after, FollowedVersion &followed)
{
    std::map<int, QStringList> now = TextsByDay(after);
    for (const auto &[day, texts] : TextsByDay(before)) {
        const qsizetype known = followed.textsGone.size();
        for (const QString &text : texts) {
            // An entry that is there twice and stays once has lost one of its two.
            if (!now[day].removeOne(text))
                followed.textsGone.append(text);
        }
        if (followed.textsGone.size() > known)
            followed.daysGone.push_back(day);
    }
}

QString Holder(const QString &path, const FollowedVersion &followed, const XmlDocument &before)
{
    const QFileInfo month(path);
    QStringList copies = QDir(month.absolutePath())
                             .entryList({ month.fileName() + QStringLiteral(".conflict-*") }, QDir::Files,
                                 QDir::Name | QDir::Reversed);
    const QString base = month.completeBaseName();
    for (const QString &copy : MonthFile::ConflictCopies(month.absolutePath())) {
        if (copy.startsWith(base + u'.') || copy.startsWith(base + u' '))
            copies.append(copy);
    }
    for (const QString &copy : copies) {
        QString copyPath = month.absoluteDir().filePath(copy);
        if (HoldsAll(copyPath, followed.textsGone))
            return copyPath;
    }
    return MonthFile::KeepConflictCopy(path, before.saveXml());
}

}
