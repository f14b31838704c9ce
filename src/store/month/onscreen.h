#pragma once

#include <QString>

// What the user sees of the loaded month beyond its document: the day shown, and the entry open in
// the editor with the editor's text as it stands, which may be newer than the entry's. The day view
// hands it to the month as it changes, so that whoever reads the month reads what is on screen.
struct OnScreen
{
    int day = 1;
    int openEntry = -1; // -1 when the editor stands for no entry
    QString editorText; // display form
};
