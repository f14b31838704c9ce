#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// What a save of a month did beyond writing it, for the user to hear of.
struct SaveOutcome
{
    // Days that another program changed too, and differently; its whole version is kept at
    // conflictPaths (more than one when it changed the month again and again during the save).
    std::vector<int> conflictDays;
    QStringList conflictPaths;
    // Versions on disk that could not be read, now at these paths.
    QStringList keptAsidePaths;
    QString keptAsideReason;
    // The month's file had been deleted elsewhere since it was read or written here; the save made it
    // again from the window's month.
    bool madeAgain = false;
    // Why the replaced file could not stay as .bak; the month was saved all the same.
    QString backupSkipped;
};
