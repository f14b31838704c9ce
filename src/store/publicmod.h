#pragma once

#include "store/xml/xmldom.h"

#include <QtGlobal>

// The state both windows share: the loaded month, the ARTICLE of the selected day (or none)
// and the position of the entry shown in the editor. The main window owns the one instance;
// the list window only reads it.
struct PublicMod
{
    XmlDocument xmlDoc;
    XmlNode xmlDay;
    qint32 curText = 0;
    // Whether the loaded month holds work its file does not; the store's operations keep it, so
    // that closing the window can ask before that work is lost.
    bool unsavedChanges = false;
};
