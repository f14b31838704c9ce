#include "store/monthfile/monthrules.h"

#include "store/monthfile/diarynames.h"
#include "store/xml/xmldom.h"

#include <algorithm>

namespace MonthRules {

namespace {

constexpr int FirstDay = 1;
constexpr int LastDay = 31;

bool IsBlankCharacter(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0x3000);
}

}

std::optional<int> ArticleDay(const XmlNode &article)
{
    if (!article.hasAttribute(DiaryNames::Date))
        return std::nullopt;
    const QString date = article.getAttribute(DiaryNames::Date).trimmed();
    if (date.isEmpty() || !std::all_of(date.cbegin(), date.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int day = date.toInt(&ok);
    if (!ok || day < FirstDay || day > LastDay)
        return std::nullopt;
    return day;
}

bool IsBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), IsBlankCharacter);
}

}
