#pragma once

class QString;
class QWidget;

// What the user decides about unsaved work when the program is about to end.
enum class SaveAnswer
{
    SaveAndQuit,
    QuitWithoutSaving,
    Cancel
};

// Asks in a message box over parent. キャンセル is the default and the Esc key's answer, so that
// a hurried Enter never throws work away.
SaveAnswer AskToSave(QWidget *parent, const QString &title, const QString &text);
