#pragma once

#include "store/xmldom.h"

#include <QtGlobal>

// The state both windows share: the loaded month, the ARTICLE of the selected day (or none)
// and the position of the entry shown in the editor. The main window owns the one instance;
// the list window only reads it.
struct PublicMod
{
    XmlDocument xmlDoc;
    XmlNode xmlDay;
    qint32 curText = 0;
};
