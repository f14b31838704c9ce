#pragma once

#include <QString>

#include <QStringList>

// Conversions between the editor's text (line breaks as LF, or CR LF) and the stored form
// (every line break as backslash and n), and the title rule. Pure functions.
namespace TextCodec {
// A character a month file cannot hold (see UnstorableCharacters) is stored as U+FFFD, as the file
// will hold it: the month then holds what its file will, and an entry so stored is not taken for
// changed again at every write-back.
QString EncodeText(const QString &displayText);
// The characters of displayText that no month file can hold, each once, as "U+000C": control
// characters other than tab and line breaks, and half a surrogate pair. No escape could keep them:
// the other programs that read month files would show it as text, and texts already stored that
// happen to look like it would change.
QStringList UnstorableCharacters(const QString &displayText);
QString DecodeText(const QString &storedText);
QString MakeTitle(const QString &storedText);
}
