#include "mainwindow/application.h"
#include "mainwindow/fontpreload.h"
#include "mainwindow/mainform.h"
#include "store/monthfile.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    FontPreload fonts;
    QApplication app(argc, argv);
    fonts.Wait();
    PrepareApplication(app);
    MainForm form(MonthFile::ProgramDirectory());
    form.show();
    return app.exec();
}
