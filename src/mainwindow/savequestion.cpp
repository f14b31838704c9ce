#include "mainwindow/savequestion.h"

#include "ui/messagedialog.h"

#include <QPushButton>

SaveAnswer AskToSave(QWidget *parent, const QString &title, const QString &text)
{
    MessageDialog box(QStyle::SP_MessageBoxQuestion, title, text, parent);
    QPushButton *save = box.AddButton(QStringLiteral("保管しておわり"), QDialogButtonBox::AcceptRole);
    QPushButton *discard = box.AddButton(QStringLiteral("保管せずにおわる"), QDialogButtonBox::DestructiveRole);
    box.SetDefaultButton(box.AddButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole));
    box.exec();
    if (box.Clicked() == save)
        return SaveAnswer::SaveAndQuit;
    if (box.Clicked() == discard)
        return SaveAnswer::QuitWithoutSaving;
    return SaveAnswer::Cancel;
}
