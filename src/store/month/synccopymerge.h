#pragma once

#include <QStringList>

struct PublicMod;

// Sync tools' copies of the loaded month ("Diary202612.sync-conflict-….xml"), made when both
// computers saved it while they did not meet: at a save point the entries of a copy that the month
// lacks are taken in, so that the user need not copy them by hand. A copy that differs from the
// month otherwise (an entry changed on one side) is left for the user, as every copy was before.
namespace SyncCopyMerge {

// Takes the entries of each such copy of the month at path into state's month, as changes of this
// program's on the days they go to; returns the copies whose entries the month now all holds. A copy
// that cannot be read is left alone: it is named to the user as it is.
QStringList TakeIn(PublicMod &state, const QString &path);

// Once the month holding them is written: each copy becomes "<copy>.merged", which neither a save
// nor the user's list of copies to look into takes again, and which the user may delete.
void SetAside(const QStringList &copies);

// The copies set aside so, by name, sorted.
QStringList MergedCopies(const QString &directory);

}
