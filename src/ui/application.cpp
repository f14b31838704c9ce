#include "ui/application.h"

#include "ui/japanesefonts.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
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

    // A folder carried to a desktop without Japanese fonts brings one of its own.
    JapaneseFonts::AddFallbackFonts(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    JapaneseFonts::RegisterSubstitutes();
    QApplication::setFont(JapaneseFonts::UiFont());

    QApplication::setWindowIcon(NoterraIcon());
    QApplication::setApplicationName(QStringLiteral("Noterra"));
    QApplication::setDesktopFileName(QStringLiteral("noterra"));
}

void ShowStartupFailure(MessageKind kind, const QString &text)
{
    const QString title = kind == MessageKind::Failure ? QStringLiteral("Noterra - 日記を開けません")
                                                       : QStringLiteral("Noterra - お知らせ");
    MessageBox::Show(nullptr, kind, title, text);
}

QPixmap ResourceImage(const QString &path)
{
    QImageReader reader(path, "PNG");
    // Named, not guessed: to guess, Qt first loads every image plugin of the system and asks each
    // whether it knows the data, which costs the start-up several libraries.
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon WindowIcon(const QString &name)
{
    QIcon icon;
    for (const int size : { 64, 32, 16 })
        icon.addPixmap(ResourceImage(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size)));
    return icon;
}

QIcon NoterraIcon()
{
    // Once PrepareApplication has made it the application's icon, the main window takes that one
    // instead of decoding the same pictures again on the way to its first paint.
    const QIcon prepared = QGuiApplication::windowIcon();
    return prepared.isNull() ? WindowIcon(QStringLiteral("noterra")) : prepared;
}
