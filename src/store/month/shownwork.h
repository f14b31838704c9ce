#pragma once

#include <QString>

// What the window shows of the loaded month beyond its document: the day, and the entry open in the
// editor with the editor's text as the user sees it, which may be newer than the entry's.
struct ShownWork
{
    int day = 1;
    int openEntry = -1; // -1 when the editor stands for no entry
    QString editorText; // display form
};
