#pragma once

#include <QObject>

class MainForm;
class QGuiApplication;

// Ties the end of the desktop session to the main window. At logout or shutdown the window asks
// about unsaved work when the session manager lets it, and キャンセル keeps the session going;
// the quit that then ends the program closes the window without asking a second time.
class SessionEnd : public QObject
{
public:
    SessionEnd(QGuiApplication &app, MainForm &form);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainForm &m_form;
};
