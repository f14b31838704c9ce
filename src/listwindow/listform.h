#pragma once

#include <QWidget>

class MainForm;

// The "一覧" window: every entry of the loaded month by day and title. It only reads the month
// document, and reaches the main window through its public operations.
class ListForm : public QWidget
{
    Q_OBJECT
public:
    explicit ListForm(MainForm *owner);
};
