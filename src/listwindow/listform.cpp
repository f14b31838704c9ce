#include "listwindow/listform.h"

#include "mainwindow/mainform.h"

ListForm::ListForm(MainForm *owner) : QWidget(owner, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ListForm"));
    setWindowTitle(QStringLiteral("一覧"));
}
