#pragma once

#include <QString>
#include <QStyle>

class QWidget;

// What a message means for the user, and so its icon: a notice needs nothing from them, an action
// asks them to do something, a failure says that something could not be done.
enum class MessageKind
{
    Notice,
    Action,
    Failure
};

// The one way the windows show a message: the icon of its kind, Japanese line breaking, and a box
// that ignores keys for its first moment, so that a key meant for the editor neither lands in the
// box nor closes it unread.
namespace MessageBox {

QStyle::StandardPixmap IconOf(MessageKind kind);
// お知らせ only where nothing is asked of the user.
QString TitleOf(MessageKind kind);
void Show(QWidget *parent, MessageKind kind, const QString &title, const QString &text);

}
