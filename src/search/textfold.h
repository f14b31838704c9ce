#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The form in which an entry and a searched word are compared: compatibility forms (full-width and
// half-width, ①, ㈱), upper and lower case, katakana and hiragana, and the variant forms of a kanji
// are one; a half-width or combining voiced sound mark joins the kana before it; iteration marks
// stand for what they repeat, ヶ and が between kanji are one, characters that take no room and
// line breaks are gone, so that a phrase may run across them.
// Texts come in stored form, where a line break is a backslash and an n. Pure functions.
namespace TextFold {

QString Folded(QStringView stored);
// Appends the folded form of stored to folded.
void AppendFolded(QStringView stored, QString &folded);

// Folded, and for each folded character the stored characters it came from: begins[i] up to
// ends[i]. A joined voiced sound mark makes one character of two; each character that one
// stored character folds into comes from that one.
struct Placed
{
    QString folded;
    std::vector<int> begins;
    std::vector<int> ends;
};
Placed FoldedWithPlaces(QStringView stored);

// The folded character that stands between the entries of a month; no text folds to it.
constexpr char16_t Separator = u'\0';

}
