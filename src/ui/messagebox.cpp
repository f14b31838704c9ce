#include "ui/messagebox.h"

#include "ui/messagedialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>

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

}

QStyle::StandardPixmap IconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Notice:
        return QStyle::SP_MessageBoxInformation;
    case MessageKind::Action:
        return QStyle::SP_MessageBoxWarning;
    case MessageKind::Failure:
        break;
    }
    return QStyle::SP_MessageBoxCritical;
}

QString TitleOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Notice:
        return QStringLiteral("お知らせ");
    case MessageKind::Action:
        return QStringLiteral("ご確認ください");
    case MessageKind::Failure:
        break;
    }
    return QStringLiteral("エラー");
}

void Show(QWidget *parent, MessageKind kind, const QString &title, const QString &text)
{
    MessageDialog box(IconOf(kind), title, text, parent);
    box.SetDefaultButton(box.AddButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole));
    const KeyGuard guard(&box);
    box.exec();
}

}
