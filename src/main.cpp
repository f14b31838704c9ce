#include "mainwindow/application.h"
#include "mainwindow/mainform.h"
#include "mainwindow/sessionend.h"
#include "mainwindow/startuppreload.h"
#include "store/monthfile.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    StartupPreload preload;
    QApplication app(argc, argv);
    preload.Wait();
    PrepareApplication(app);
    MainForm form(MonthFile::ProgramDirectory());
    const SessionEnd sessionEnd(app, form);
    form.SetBackground(preload.Background());
    form.show();
    return app.exec();
}
