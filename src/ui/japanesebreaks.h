#pragma once

#include <QString>

// Lays a message out the way Japanese is read: Qt may break a line between any two Japanese
// characters, which splits katakana words (コンピュー/ター), kanji words (日/記) and dates (2026年/12月) and can leave
// the last kana of a sentence alone on a line. Word joiners (U+2060), which draw nothing, keep those together;
// everything else breaks as before.
namespace JapaneseBreaks {

QString Kept(const QString &text);

}
