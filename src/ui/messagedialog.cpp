#include "ui/messagedialog.h"

#include "ui/messagetext.h"

#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr qreal LineCharacters = 30;
// The icon, the margins and the window's frame beside the text.
constexpr int Chrome = 120;

// A screen reader reads the box as an alert, as it does the desktop's own boxes.
QAccessibleInterface *BoxAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("MessageDialog"))
        return nullptr;
    return new QAccessibleWidget(qobject_cast<QWidget *>(object), QAccessible::AlertMessage);
}

}

MessageDialog::MessageDialog(QStyle::StandardPixmap icon, const QString &title, const QString &text, QWidget *parent)
    : QDialog(parent,
        Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    static const bool accessible = (QAccessible::installFactory(BoxAccessible), true);
    Q_UNUSED(accessible);
    m_text = new MessageText(text, this);
    m_buttons = new QDialogButtonBox(Qt::Horizontal, this);
    setWindowTitle(title);
    setAccessibleDescription(text);
    auto *iconLabel = new QLabel(this);
    const int extent = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    iconLabel->setPixmap(style()->standardIcon(icon, nullptr, this).pixmap(extent, extent));
    auto *layout = new QGridLayout(this);
    layout->addWidget(iconLabel, 0, 0, Qt::AlignTop);
    layout->addWidget(m_text, 0, 1, Qt::AlignTop);
    layout->addWidget(m_buttons, 1, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(layout->horizontalSpacing() + extent / 3);
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    m_text->SetLineWidth(TextWidth(m_text->font(), m_text->NaturalWidth(), screen->availableGeometry().width()));
    connect(m_buttons, &QDialogButtonBox::clicked, this, [this](QAbstractButton *button) {
        m_clicked = button;
        const QDialogButtonBox::ButtonRole role = m_buttons->buttonRole(button);
        done(role == QDialogButtonBox::RejectRole ? QDialog::Rejected : QDialog::Accepted);
    });
}

QPushButton *MessageDialog::AddButton(const QString &caption, QDialogButtonBox::ButtonRole role)
{
    return m_buttons->addButton(caption, role);
}

void MessageDialog::SetDefaultButton(QPushButton *button)
{
    button->setDefault(true);
    button->setFocus();
}

qreal MessageDialog::TextWidth(const QFont &font, qreal naturalWidth, qreal availableWidth)
{
    const qreal comfortable = QFontMetricsF(font).horizontalAdvance(u'あ') * LineCharacters;
    return std::max(1.0, std::min({ naturalWidth, comfortable, availableWidth - Chrome }));
}

void MessageDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy))
        m_text->Copy();
    else
        QDialog::keyPressEvent(event);
}
