#include "ui/messagebox.h"

#include "ui/japanesebreaks.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>

namespace MessageBox {

namespace {

// Long enough for a key already on its way down, short enough to go unnoticed.
constexpr qint64 DeafMilliseconds = 500;

// Eats the keys meant for the box while it is new.
class KeyGuard : public QObject
{
public:
    explicit KeyGuard(QWidget *box)
        : m_box(box)
    {
        m_age.start();
        qApp->installEventFilter(this);
    }
    ~KeyGuard() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        return widget && widget->window() == m_box && m_age.elapsed() < DeafMilliseconds;
    }

private:
    QWidget *m_box;
    QElapsedTimer m_age;
};

QMessageBox::Icon IconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Notice:
        return QMessageBox::Information;
    case MessageKind::Action:
        return QMessageBox::Warning;
    case MessageKind::Failure:
        break;
    }
    return QMessageBox::Critical;
}

}

void Show(QWidget *parent, MessageKind kind, const QString &title, const QString &text)
{
    QMessageBox box(IconOf(kind), title, JapaneseBreaks::Kept(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    const KeyGuard guard(&box);
    box.exec();
}

}
