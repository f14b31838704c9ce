#include "mainwindow/mainform.h"
#include "mainwindow/sessionend.h"
#include "store/folderlock.h"
#include "store/programfolder.h"
#include "base/storeerror.h"
#include "ui/application.h"

#include <QApplication>
#include <cstdlib>
#include <optional>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    PrepareApplication(app);
    QString directory;
    std::optional<FolderLock> lock;
    try {
        directory = ProgramFolder::Directory();
        lock.emplace(directory);
    } catch (const StoreError &error) {
        ShowStartupFailure(error.message());
        return EXIT_FAILURE;
    }
    MainForm form(directory);
    const SessionEnd sessionEnd(app, form);
    form.show();
    return app.exec();
}
