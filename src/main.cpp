#include "mainwindow/mainform.h"
#include "store/monthfile.h"
#include "ui/application.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    PrepareApplication(app);
    MainForm form(MonthFile::ProgramDirectory());
    form.show();
    return app.exec();
}
