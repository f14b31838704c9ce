#pragma once

#include <QString>

// The element and attribute names of a month file. They are upper case and compared exactly;
// existing month files rely on them.
namespace DiaryNames {
inline const QString Diary = QStringLiteral("DIARY");
inline const QString Article = QStringLiteral("ARTICLE");
inline const QString Date = QStringLiteral("DATE");
inline const QString Text = QStringLiteral("TEXT");
}
