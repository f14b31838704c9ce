#pragma once

#include <QHash>

// The kanji that the search takes for one: the variant forms of a family (髙 and 高, 﨑 and 崎, 𠮷
// and 吉) and the form each is searched as. Read from the list built into the program at the first
// search, never before.
namespace KanjiVariants {

// For each variant form, the first form of its family.
const QHash<char32_t, char32_t> &SearchedAs();

}
