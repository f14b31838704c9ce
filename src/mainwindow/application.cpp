#include "mainwindow/application.h"

#include "mainwindow/japanesefonts.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>

void PrepareApplication(QApplication &app)
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    auto *translator = new QTranslator(&app);
    if (translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);

    JapaneseFonts::RegisterSubstitutes();
    QApplication::setFont(JapaneseFonts::UiFont());

    QApplication::setWindowIcon(NoterraIcon());
    QApplication::setApplicationName(QStringLiteral("Noterra"));
    QApplication::setDesktopFileName(QStringLiteral("noterra"));
}

QPixmap ResourceImage(const QString &path)
{
    // With the format named, Qt reads the picture at once instead of first loading every image
    // plugin of the system to ask each whether it knows the data.
    return QPixmap(path, "PNG");
}

QIcon NoterraIcon()
{
    QIcon icon;
    icon.addPixmap(ResourceImage(QStringLiteral(":/icons/noterra-32.png")));
    icon.addPixmap(ResourceImage(QStringLiteral(":/icons/noterra-16.png")));
    return icon;
}
