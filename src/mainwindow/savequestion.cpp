#include "mainwindow/savequestion.h"

#include "ui/japanesebreaks.h"

#include <QMessageBox>
#include <QPushButton>

SaveAnswer AskToSave(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, JapaneseBreaks::Kept(text), QMessageBox::NoButton, parent);
    QPushButton *save = box.addButton(QStringLiteral("保管しておわり"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QStringLiteral("保管せずにおわる"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveAnswer::SaveAndQuit;
    if (box.clickedButton() == discard)
        return SaveAnswer::QuitWithoutSaving;
    return SaveAnswer::Cancel;
}
