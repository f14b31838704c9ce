#include "base/storeerror.h"
#include "mainwindow/mainform.h"
#include "mainwindow/sessionend.h"
#include "store/folderlock.h"
#include "store/programfolder.h"
#include "ui/application.h"
#include "ui/endsignals.h"
#include "ui/messagebox.h"
#include "ui/singlewindow.h"

#include <QApplication>
#include <cstdlib>
#include <optional>

namespace {

MainForm *shownForm = nullptr;

// Qt 6.4 ends the program with exit() when it loses the display; the window's work then goes to its
// journal. Nothing can be shown any more, so a failure here has nowhere to go.
void KeepWorkAtExit()
{
    if (shownForm == nullptr)
        return;
    try {
        shownForm->KeepWorkNow();
    } catch (const std::exception &) {
    }
}

}

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
    const SessionEnd sessionEnd(app, form);
    // Ended from outside, the program keeps the work in its journal, writes no month file and
    // lets its lock go.
    const EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::Received, &form, [&form] {
        form.Guard([&form] { form.KeepWorkNow(); });
        form.QuitWithoutAsking();
        QCoreApplication::quit();
    });
    shownForm = &form;
    std::atexit(KeepWorkAtExit);
    const SingleWindow single(folder->Identity(), form);
    if (!lock->Notice().isEmpty())
        form.Notify(lock->Notice());
    form.show();
    const int status = app.exec();
    // Newer Qt ends the event loop, not the program, when the display goes away: the window is then
    // still open with its work, which goes to the journal as at exit(). After a close this finds the
    // journal already as it should be.
    KeepWorkAtExit();
    shownForm = nullptr;
    return status;
}
