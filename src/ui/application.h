#pragma once

class QApplication;
class QIcon;
class QPixmap;
class QString;
enum class MessageKind;

// What the running program sets up once before its first window: Qt's own Japanese
// translations (context menus, message box buttons), the Japanese default font and the icon.
void PrepareApplication(QApplication &app);
// Tells the user, before any window, why the diary does not open: a failure, or news such as the
// diary being open already. Returns once the box is closed.
void ShowStartupFailure(MessageKind kind, const QString &text);
// A window's icon, put together from the pictures :/icons/<name>-64.png, -32.png and -16.png.
QIcon WindowIcon(const QString &name);
// The open book with a grid of days: the program's icon and its main window's.
QIcon NoterraIcon();
// A PNG picture compiled into the program.
QPixmap ResourceImage(const QString &path);
