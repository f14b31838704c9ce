#pragma once

#include <QString>

#include <optional>

class XmlNode;

// How the diary reads what a month file holds, alike wherever a month is read: when it is loaded,
// saved, merged with another program's version or compared with a copy of it.
namespace MonthRules {

// An ARTICLE's DATE as a day number, or none when it is missing, not a number or no day of a
// month (1 to 31). Surrounding spaces and leading zeros are accepted, as other tools write them.
std::optional<int> ArticleDay(const XmlNode &article);

// Entries made only of spaces (U+0020, tab, U+3000) are blank and dropped when saving.
bool IsBlank(const QString &text);

}
