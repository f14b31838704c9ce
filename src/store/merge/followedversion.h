#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// What the window must hear of after the loaded month took another program's version of its file:
// where the open entry stands now, and the text it showed that the new version no longer holds.
struct FollowedVersion
{
    int openEntry = -1; // -1 when the editor stands for no entry
    // Days whose entries lost text, and those texts in stored form.
    std::vector<int> daysGone;
    QStringList textsGone;
    // The file beside the month that holds that text.
    QString holder;
};
