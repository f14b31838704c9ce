#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringView>

class SearchQuery;

// The one line a found entry shows in the results: the entry around the first word found, as the
// editor shows it with line breaks read as spaces, and every word found marked in it.
namespace ResultLine {

struct Line
{
    QString text;
    // Begin and length of each marked word in text.
    QList<QPoint> marks;
};

Line Around(const QString &stored, const SearchQuery &query);

}
