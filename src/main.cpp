#include "mainwindow/mainform.h"
#include "mainwindow/startuppreload.h"
#include "store/monthfile.h"
#include "ui/application.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    StartupPreload preload;
    QApplication app(argc, argv);
    preload.Wait();
    PrepareApplication(app);
    MainForm form(MonthFile::ProgramDirectory());
    form.show();
    return app.exec();
}
