#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// What a journal holds: the unsaved state of the month shown, enough to bring the work back
// exactly after a crash. It holds no behaviour; the journal's format and files live elsewhere.
struct JournalContent
{
    QString year, month; // the month's texts, e.g. "2026", "3"
    int day = 1; // the calendar's day
    QByteArray monthBytes; // the month document as the program held it (XML bytes, any encoding)
    bool baseExists = false; // whether the month file existed when the program loaded it
    QByteArray baseBytes; // the month file's bytes as loaded (empty when !baseExists)
    std::vector<int> changedDays; // days edited since the month was loaded
    int openEntry = -1; // entry position shown in the editor, -1 none
    QString editorText; // the editor's text (display form), may be newer than monthBytes
    QByteArray diaryId; // the id of the diary it was written for; empty when that diary had none
    QByteArray folderPath; // the diary's folder then, in the system's bytes; empty in the first version
    QByteArray folderIdentity; // that folder's device, inode and birth; empty before the third version

    bool operator==(const JournalContent &) const = default;
};
