#pragma once

#include "store/journalfiles/journalcontent.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The journal's bytes: a first line with the format's version, a header of key=value lines with
// the small values and the lengths of the blobs, the blobs, and a SHA-256 of all of that as the
// last line. Knows nothing of files. The second version adds the diary the journal was written for,
// the third its folder's device and inode; the earlier ones are still read, so that work left by
// the program before comes back.
namespace JournalFormat {

QByteArray Encode(const JournalContent &content);

// Never applies anything in part: any damage (cut short at any length, a changed byte, another
// format version, trailing bytes) gives nullopt and the reason in Japanese.
std::optional<JournalContent> Decode(const QByteArray &bytes, QString *reason);

}
