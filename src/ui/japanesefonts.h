#pragma once

#include <QFont>
#include <QStringList>

// Fonts that render Japanese with real glyphs. The title list asks for "ＭＳ Ｐゴシック", the family
// its sizes are chosen for; substitutes installed with the program stand in where it is missing.
namespace JapaneseFonts {
void RegisterSubstitutes();
// Where the desktop has no Japanese font at all, adds the fonts of the folder (the one a carried
// program brings beside it) for this run; returns the families added. A desktop with one keeps
// its own and the folder is not even read.
QStringList AddFallbackFonts(const QString &folder);
// The windows' default font.
QFont UiFont();
// "ＭＳ Ｐゴシック" 8.25 pt, of the title list and its label.
QFont TitleListFont(bool bold);
// The calendar's, in pixels: the six weeks must fit whatever font resolution the screen reports.
QFont CalendarFont(int pixelSize);
}
