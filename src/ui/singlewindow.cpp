#include "ui/singlewindow.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>

namespace {

// A holder that does not answer within this time is taken as unable to; the later start then
// says why it ends instead of ending silently.
constexpr int AnswerMilliseconds = 3000;
const QByteArray Raised = "raised\n";

QString SocketPath(const QString &folderIdentity)
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/noterra-")
        + folderIdentity;
}

}

SingleWindow::SingleWindow(const QString &folderIdentity, QWidget &window)
    : m_window(window)
    , m_server(new QLocalServer(this))
{
    const QString path = SocketPath(folderIdentity);
    // Only the lock's holder gets here, so a socket already there was left by a holder that ended
    // without removing it.
    QLocalServer::removeServer(path);
    if (!m_server->listen(path)) {
        qWarning("Noterra: a second start cannot bring this window to the front: %s: %s", qPrintable(path),
            qPrintable(m_server->errorString()));
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleWindow::Answer);
}

void SingleWindow::Answer()
{
    while (QLocalSocket *caller = m_server->nextPendingConnection()) {
        connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
        // Where the desktop prevents taking the focus, it shows the window as wanting attention instead.
        m_window.showNormal();
        m_window.raise();
        m_window.activateWindow();
        caller->write(Raised);
        caller->disconnectFromServer();
    }
}

bool SingleWindow::CallHolder(const QString &folderIdentity)
{
    QLocalSocket socket;
    socket.connectToServer(SocketPath(folderIdentity));
    if (!socket.waitForConnected(AnswerMilliseconds))
        return false;
    while (socket.bytesAvailable() < Raised.size() && socket.waitForReadyRead(AnswerMilliseconds)) { }
    return socket.read(Raised.size()) == Raised;
}
