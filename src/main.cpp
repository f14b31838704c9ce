#include "mainwindow/mainform.h"
#include "mainwindow/programend.h"
#include "store/folder/folderlock.h"
#include "store/folder/programfolder.h"
#include "ui/application.h"
#include "ui/messagebox.h"
#include "ui/singlewindow.h"
#include "usermessages/storeerror.h"

#include <QApplication>
#include <cstdlib>
#include <optional>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    PrepareApplication(app);
    std::optional<DiaryFolder> folder;
    std::optional<FolderLock> lock;
    try {
        folder.emplace(ProgramFolder::Open());
        lock.emplace(*folder);
    } catch (const StoreError &error) {
        // A program that holds the folder shows its window instead; the message is for when none answers.
        if (folder && SingleWindow::CallHolder(folder->Identity()))
            return EXIT_SUCCESS;
        // That the diary is open already is news, not a failure.
        const bool open = dynamic_cast<const FolderLock::AlreadyOpen *>(&error) != nullptr;
        ShowStartupFailure(open ? MessageKind::Notice : MessageKind::Failure, error.message());
        return EXIT_FAILURE;
    }
    MainForm form(*folder);
    // Ended from outside, the program keeps the work in its journal, writes no month file and
    // lets its lock go.
    const ProgramEnd end(app, form);
    const SingleWindow single(folder->Identity(), form);
    if (!lock->Notice().isEmpty())
        form.Notify(lock->Notice());
    form.show();
    return app.exec();
}
