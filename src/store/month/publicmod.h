#pragma once

#include "store/xml/xmldom.h"

#include <QByteArray>
#include <QtGlobal>
#include <set>

// The state of the loaded month: its document, the ARTICLE of the selected day (or none) and the
// position of the entry shown in the editor. DiaryMonth owns the one instance and keeps it to
// itself; the windows reach the month only through DiaryMonth.
struct PublicMod
{
    XmlDocument xmlDoc;
    XmlNode xmlDay;
    qint32 curText = 0;
    // Whether the loaded month holds work its file does not; the store's operations keep it, so
    // that closing the window can ask before that work is lost.
    bool unsavedChanges = false;
    // The file as this program last read or wrote it: a save compares the file on disk with it, so
    // that a change made elsewhere (a sync tool, another computer) is merged, never overwritten.
    bool baseExists = false;
    QByteArray baseBytes;
    // The days whose entries this program changed since then; a merge takes exactly these from here.
    std::set<int> changedDays;
};
