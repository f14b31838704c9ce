#include "ui/japanesefonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QtDebug>

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

QStringList AddFallbackFonts(const QString &folder)
{
    // The installed program has no such folder and asks the font database nothing more.
    if (!QFileInfo(folder).isDir() || !QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        return {};
    QStringList added;
    const QDir fonts(folder);
    const auto files = fonts.entryList({ QStringLiteral("*.ttf"), QStringLiteral("*.otf"), QStringLiteral("*.ttc") },
        QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &file : files) {
        const int id = QFontDatabase::addApplicationFont(fonts.filePath(file));
        // A message about it would itself be drawn in boxes; the terminal can still read it.
        if (id < 0)
            qWarning("Noterra: フォント %s を読み込めないため、日本語の文字が四角で表示されます。",
                qUtf8Printable(QDir::toNativeSeparators(fonts.filePath(file))));
        else
            added << QFontDatabase::applicationFontFamilies(id);
    }
    return added;
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
