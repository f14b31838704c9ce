#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

// One window per diary: a second start on a folder that a running program holds brings that
// program's window to the front instead of opening another. The holder listens on a local socket
// named for the folder in the user's runtime folder, which no other account can reach; the lock
// alone decides who holds the folder, this only passes the wish on.
class SingleWindow : public QObject
{
    Q_OBJECT
public:
    // Listens for later starts on the folder and raises window at each. Without a socket the later
    // start only says that the diary is open elsewhere.
    SingleWindow(const QString &folderIdentity, QWidget &window);

    // Asks the program that holds the folder to bring its window to the front; false when no
    // program answered.
    static bool CallHolder(const QString &folderIdentity);

private:
    void Answer();

    QWidget &m_window;
    QLocalServer *m_server = nullptr;
};
