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

// Asks in a message box over parent, in the words of the window's own 保管しておわり button, so
// that one action has one name. キャンセル is the default and the Esc key's answer, so that
// a hurried Enter never throws work away.
SaveAnswer AskToSave(QWidget *parent, const QString &title, const QString &text);
