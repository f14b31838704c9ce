#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QStyle>

class MessageText;

// The box every message and question is shown in: an icon, the text laid out by the program's own
// Japanese line breaking, and the buttons. Its text is never wider than the screen allows, and Ctrl+C
// copies it as written. It knows nothing of what the message is about.
class MessageDialog : public QDialog
{
    Q_OBJECT

public:
    MessageDialog(QStyle::StandardPixmap icon, const QString &title, const QString &text, QWidget *parent);

    QPushButton *AddButton(const QString &caption, QDialogButtonBox::ButtonRole role);
    // The button Return presses, with the focus when the box opens.
    void SetDefaultButton(QPushButton *button);
    // The button that closed the box; none when it was closed otherwise (Esc, the close box).
    QAbstractButton *Clicked() const { return m_clicked; }
    MessageText *Text() const { return m_text; }
    // The text's width: a comfortable line of about thirty characters, within what the screen allows.
    static qreal TextWidth(const QFont &font, qreal naturalWidth, qreal availableWidth);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    MessageText *m_text = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    QAbstractButton *m_clicked = nullptr;
};
