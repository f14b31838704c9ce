#pragma once

#include "mainwindow/sessionend.h"
#include "ui/endsignals.h"

class MainForm;
class QApplication;

// Every end of the program that does not come through the window: the desktop session's end asks
// through the window; a signal (SIGTERM, SIGHUP, SIGINT) keeps the work in the journal, writes no
// month file and quits without asking; and an end that leaves no time at all keeps the work in the
// journal as well: Qt 6.4 calls exit() when it loses the display, newer Qt ends the event loop with
// the window still open. One at a time, for the program's one window.
class ProgramEnd
{
public:
    ProgramEnd(QApplication &app, MainForm &form);
    // The event loop is over: work still in the window goes to its journal. After a close this finds
    // the journal already as it should be.
    ~ProgramEnd();
    ProgramEnd(const ProgramEnd &) = delete;
    ProgramEnd &operator=(const ProgramEnd &) = delete;

private:
    SessionEnd m_session;
    EndSignals m_signals;
};
