#pragma once

#include <QString>

// The sign that the program's last journal write before it ended failed, so that the next start can
// say that the work of the last moments may not have come back. The journal before that write is
// still whole: the failed write never replaced it.
namespace JournalMark {

// Leaves the sign for the journal at path: an empty file beside it, which needs an inode but no
// room for content, so that a full disk still takes it; where even that fails, in the runtime
// folder, which keeps it until the computer restarts. Never throws: the program is ending.
void Leave(const QString &journalPath);

// Whether a sign was left for the journal at path; the sign goes, so that it is told once.
bool Take(const QString &journalPath);

// Whether the journal at path, which another folder's program will bring back, is named to the user
// for the first time; that it was is remembered beside it until the journal goes.
bool FirstTold(const QString &journalPath);

}
