#pragma once

#include "store/merge/followedversion.h"

#include <QString>

class XmlDocument;

// Text that a version from elsewhere took out of the month the window showed: which days lost what,
// and a file beside the month that still holds it, so that the user can be told where it is.
namespace GoneText {

// Fills daysGone and textsGone with the entries' texts of before that after lacks on the same day.
void Find(const XmlDocument &before, const XmlDocument &after, FollowedVersion &followed);

// A copy beside the month at path that holds every text gone: a conflict copy of this program's or a
// sync tool's copy of the month; when none does, before (the version the window held) is kept as a
// conflict copy. Returns its path. Throws StoreError.
QString Holder(const QString &path, const FollowedVersion &followed, const XmlDocument &before);

}
