#include "store/monthfile/conflictcopy.h"

#include "store/monthfile/diarynames.h"
#include "store/monthfile/monthfile.h"
#include "store/monthfile/monthrules.h"
#include "store/xml/xmldom.h"
#include "usermessages/storeerror.h"

#include <QRegularExpression>
#include <QSet>

#include <map>

namespace ConflictCopy {

namespace {

// The entries of each day, whatever ARTICLE of the day holds them.
std::map<int, QSet<QString>> EntriesByDay(const XmlDocument &doc)
{
    std::map<int, QSet<QString>> days;
    for (const XmlNode &article : doc.getElementsByTagName(DiaryNames::Article)) {
        const std::optional<int> day = MonthRules::ArticleDay(article);
        if (!day)
            continue;
        for (const XmlNode &entry : article.childNodes()) {
            if (!MonthRules::IsBlank(entry.text()))
                days[*day].insert(entry.text());
        }
    }
    return days;
}

// The copy's month as the diary holds it; empty when it holds none or cannot be read.
QByteArray MonthBytes(const QString &directory, const QString &name, const Loaded &loaded)
{
    // Months are written without a leading zero, so five digits are a one-digit month.
    static const QRegularExpression digits(QStringLiteral("^Diary(\\d{4})([1-9]|1[0-2])\\D"));
    const QRegularExpressionMatch match = digits.match(name);
    if (!match.hasMatch())
        return {};
    if (match.captured(1) == loaded.year && match.captured(2) == loaded.month)
        return loaded.bytes;
    try {
        return MonthFile::Peek(MonthFile::FilePath(directory, match.captured(1), match.captured(2))).bytes;
    } catch (const StoreError &) {
        // The month cannot be opened until the user clears its place; the diary lacks all the copy holds.
        return {};
    }
}

}

std::vector<int> DaysMissing(const QString &directory, const QString &name, const Loaded &loaded)
{
    MonthFile::OnDisk copy;
    try {
        copy = MonthFile::Peek(directory + u'/' + name);
    } catch (const StoreError &error) {
        throw StoreError(QStringLiteral("読めません。") + error.message());
    }
    XmlDocument copyDoc;
    QString reason;
    if (!copy.exists || !copyDoc.loadXml(copy.bytes, &reason))
        throw StoreError(QStringLiteral("読めません。") + (copy.exists ? reason : QStringLiteral("見つかりません。")));
    XmlDocument monthDoc;
    std::map<int, QSet<QString>> held;
    if (monthDoc.loadXml(MonthBytes(directory, name, loaded), &reason))
        held = EntriesByDay(monthDoc);
    std::vector<int> missing;
    for (const auto &[day, entries] : EntriesByDay(copyDoc)) {
        if (!held[day].contains(entries))
            missing.push_back(day);
    }
    return missing;
}

}
