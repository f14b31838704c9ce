#pragma once

#include <QHash>
#include <QString>

#include <array>

// What each character is compared as, taken alone: its compatibility form (ＡＢＣ, ｶﾀｶﾅ, ①, ㈱, ㍉),
// each kanji as the first form of its variant family (髙 as 高), katakana as hiragana, letters in
// one case. Built at the first search, never before. Characters that fold by what stands around
// them are the fold's own business.
namespace CharacterForms {

// In single: the character folds by what stands around it, or into other than one character.
constexpr char16_t Context = 0;

struct Forms
{
    std::array<char16_t, 0x10000> single {};
    // Characters of the BMP that fold into several, and characters beyond it, by their code point,
    // that fold into others.
    QHash<char16_t, QString> expanded;
    QHash<char32_t, QString> beyond;
};

const Forms &Get();

}
