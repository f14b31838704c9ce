#pragma once

#include <QString>

#include <vector>

// What a save of a month did beyond writing it, for the user to hear of.
struct SaveOutcome
{
    // Days that another program changed too, and differently; its whole version is at conflictPath.
    std::vector<int> conflictDays;
    QString conflictPath;
    // A version on disk that could not be read, now at this path.
    QString keptAsidePath;
    QString keptAsideReason;
    // Why the replaced file could not stay as .bak; the month was saved all the same.
    QString backupSkipped;
};
