#include "mainwindow/sessionend.h"

#include "mainwindow/mainform.h"

#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>

SessionEnd::SessionEnd(QGuiApplication &app, MainForm &form)
    : m_form(form)
{
    connect(&app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        // Interaction is asked for only when there is something to ask about: asking makes the
        // session manager wait for this program.
        if (!m_form.SessionMayEnd([&manager] { return manager.allowsInteraction(); }))
            manager.cancel();
    });
    app.installEventFilter(this);
}

bool SessionEnd::eventFilter(QObject *watched, QEvent *event)
{
    // The session manager ends the program with a quit, which closes every window; by then the
    // user has answered, or the session allowed no question.
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
        m_form.QuitWithoutAsking();
    return QObject::eventFilter(watched, event);
}
