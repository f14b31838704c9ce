#include "mainwindow/programend.h"

#include "mainwindow/mainform.h"

#include <QApplication>

#include <cstdlib>
#include <exception>

namespace {

// exit() runs no destructor of main's; only a handler it calls can still reach the window.
MainForm *endingForm = nullptr;

// Nothing can be shown any more, so a failure here has nowhere to go.
void KeepWorkAtExit()
{
    if (endingForm == nullptr)
        return;
    try {
        endingForm->KeepWorkNow();
    } catch (const std::exception &) {
    }
}

}

ProgramEnd::ProgramEnd(QApplication &app, MainForm &form)
    : m_session(app, form)
{
    QObject::connect(&m_signals, &EndSignals::Received, &form, [&form] {
        form.EndFromOutside();
        QCoreApplication::quit();
    });
    static const bool registered = std::atexit(KeepWorkAtExit) == 0;
    Q_UNUSED(registered);
    endingForm = &form;
}

ProgramEnd::~ProgramEnd()
{
    KeepWorkAtExit();
    endingForm = nullptr;
}
