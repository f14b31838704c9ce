#include "store/folder/runtimelock.h"

#include "store/journalfiles/journalfile.h"
#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"
#include "usermessages/words.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

QString SystemText(int error)
{
    return Words::WithDetail(QString(), SystemReason::Of(error));
}

// The user must find the folder to fix it, so its whole path is told.
QString Unusable(const QString &folder, const QString &why)
{
    return QStringLiteral(
        "同じ日記を二つ開かないための「%1」を使えないため、どのファイルにも手を付けずに終了します。%2")
        .arg(QDir::toNativeSeparators(folder), why);
}

// Another account that made the folder first, or opened it to others, could take or hold our locks.
void VerifyPrivate(const QString &folder)
{
    struct stat status;
    if (::lstat(QFile::encodeName(folder).constData(), &status) != 0) {
        const int error = errno;
        throw StoreError(Unusable(folder, SystemText(error)));
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() || (status.st_mode & 077) != 0)
        throw StoreError(Unusable(folder,
            QStringLiteral(
                "このフォルダーを消すか、このアカウントだけが使えるように直してから、起動し直してください。")));
}

QString MadePrivate(const QString &folder)
{
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
        const int error = errno;
        throw StoreError(Unusable(folder, SystemText(error)));
    }
    VerifyPrivate(folder);
    return folder;
}

}

QString RuntimeLock::Folder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime))
        return MadePrivate(runtime + QStringLiteral("/noterra"));
    try {
        return MadePrivate(QStringLiteral("/tmp/noterra-%1").arg(::geteuid()));
    } catch (const StoreError &) {
        // Another account can make that name first and so hold every start: the user's own state
        // folder, which no other account may enter, holds the locks then.
        const QString state = JournalFile::Folder();
        if (state.isEmpty() || !QDir().mkpath(state))
            throw;
        return MadePrivate(state + QStringLiteral("/locks"));
    }
}

RuntimeLock::RuntimeLock(const QString &name)
{
    const QString path = Folder() + u'/' + name + QStringLiteral(".lock");
    m_descriptor = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_descriptor < 0) {
        const int error = errno;
        throw StoreError(Unusable(path, SystemText(error)));
    }
    if (::flock(m_descriptor, LOCK_EX | LOCK_NB) == 0) {
        // The number only names the holder to a later start that is refused; the lock itself is the kernel's.
        const QByteArray holder = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
        if (::ftruncate(m_descriptor, 0) != 0 || ::pwrite(m_descriptor, holder.constData(), holder.size(), 0) < 0) {
            const int error = errno;
            qWarning(
                "Noterra: cannot name this program in %s: %s", qPrintable(path), qPrintable(SystemReason::Of(error)));
        }
        return;
    }
    const int error = errno;
    char holder[32] = {};
    const ssize_t read = ::pread(m_descriptor, holder, sizeof holder - 1, 0);
    ::close(m_descriptor);
    m_descriptor = -1;
    if (error != EWOULDBLOCK)
        throw StoreError(Unusable(path, SystemText(error)));
    throw Held(read > 0 ? QByteArray(holder).trimmed().toLongLong() : 0);
}

RuntimeLock::~RuntimeLock()
{
    // The file stays: removing it would let a later start lock a new file while another still
    // holds the old one.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}
