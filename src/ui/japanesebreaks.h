#pragma once

#include <QString>

// Where a line of a message may break, the way Japanese is read: Qt alone may break between any two
// Japanese characters, which splits katakana words (コンピュー/ター), kanji words (日/記), a word from
// its kana (置/けません, こ/の月) and dates (2026年/12月), and never breaks a long file name. Here a
// line breaks between phrases: after a particle or an ending, between words of different scripts,
// after punctuation, and inside a path after / and before . or -. The text itself is never changed,
// so what the user copies or hears is the sentence as written.
namespace JapaneseBreaks {

// Whether a line may end before text[at], for 0 < at < text.size(); a line feed always ends one.
bool MayBreakBefore(const QString &text, qsizetype at);
// Where a word too wide for a whole line may break: anywhere but before closing punctuation and
// small kana, after an opening bracket or inside a character.
bool MayBreakInWord(const QString &text, qsizetype at);

}
