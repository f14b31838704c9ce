#include "ui/japanesefonts.h"

namespace {
const QString DesignFamily = QStringLiteral("ＭＳ Ｐゴシック");
const QStringList Substitutes = { QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP") };
const QStringList TitleListFamilies = QStringList { DesignFamily } + Substitutes;
}

namespace JapaneseFonts {

void RegisterSubstitutes()
{
    if (QFont::substitutes(DesignFamily).isEmpty())
        QFont::insertSubstitutions(DesignFamily, Substitutes);
}

QFont UiFont()
{
    QFont font;
    font.setFamilies(Substitutes);
    font.setPointSizeF(9);
    return font;
}

QFont TitleListFont(bool bold)
{
    RegisterSubstitutes();
    QFont font;
    font.setFamilies(TitleListFamilies);
    font.setPointSizeF(8.25);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QFont CalendarFont(int pixelSize)
{
    QFont font;
    font.setFamilies(Substitutes);
    font.setPixelSize(pixelSize);
    return font;
}

}
