#include "store/folder/folderlock.h"

#include "store/folder/diaryfolder.h"
#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"
#include "usermessages/words.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// A sign is a few short lines; anything longer is no sign of this program's.
constexpr int LargestSign = 4096;

// What a lock file in the folder says of the program that wrote it. The lines are those that the
// program has always written, so that the programs of other computers, old and new, read each other.
struct Sign
{
    qint64 pid = 0;
    QString program;
    QString host;
    QByteArray boot; // this computer's boot id then; empty in a sign of the first versions
};

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(LargestSign);
}

Sign ReadSign(const QString &path)
{
    const QList<QByteArray> lines = ReadBytes(path).split('\n');
    Sign sign;
    sign.pid = lines.value(0).trimmed().toLongLong();
    sign.program = QString::fromUtf8(lines.value(1));
    sign.host = QString::fromUtf8(lines.value(2));
    sign.boot = lines.value(4).trimmed();
    return sign;
}

// The executable that runs as pid, byte for byte as the system names it (a folder named in
// Shift_JIS stays as it is); empty when it cannot be told.
QByteArray ExecutableOf(qint64 pid)
{
    QByteArray path(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink("/proc/" + QByteArray::number(pid) + "/exe", path.data(), size_t(path.size()));
    path.truncate(std::max<ssize_t>(length, 0));
    // A program whose file was replaced since it started (a new version installed) runs on all the same.
    if (path.endsWith(" (deleted)"))
        path.chop(10);
    return path;
}

// The name of the program that runs as pid, as the sign names it; empty when it cannot be told.
QString ProgramName(qint64 pid)
{
    const QByteArray executable = ExecutableOf(pid);
    return QFile::decodeName(executable.mid(executable.lastIndexOf('/') + 1));
}

// A program of this computer that holds the diary under another runtime folder, or a version from
// before the runtime lock, is known only by its sign. Its number may have been given to another
// program since: after a restart, or to a program of the same name whose diary, the folder of its
// executable, is another.
bool HeldHereBy(const Sign &sign, const DiaryFolder &folder)
{
    if (sign.host != QSysInfo::machineHostName() || sign.pid <= 0 || sign.pid == QCoreApplication::applicationPid())
        return false;
    if (!sign.boot.isEmpty() && sign.boot != QSysInfo::bootUniqueId())
        return false;
    if (::kill(pid_t(sign.pid), 0) != 0 && errno == ESRCH)
        return false;
    const QByteArray executable = ExecutableOf(sign.pid);
    return !sign.program.isEmpty() && ProgramName(sign.pid) == sign.program
        && DiaryFolder::IdentityOf(executable.left(executable.lastIndexOf('/'))) == folder.Identity();
}

// whatThen says what to do when no window of the diary is to be seen.
QString AlreadyOpenText(const DiaryFolder &folder, qint64 holder, const QString &whatThen)
{
    const QString process = holder > 0 ? QStringLiteral("プロセス番号 %1").arg(holder) : QString();
    return Words::WithDetail(QStringLiteral("フォルダー「%1」の日記は、すでに開いています。開いているウィンドウを"
                                            "お使いください。見当たらないときは、%2")
                                 .arg(folder.ShownName(), whatThen),
        process);
}

RuntimeLock LockOnThisComputer(const DiaryFolder &folder)
{
    try {
        return RuntimeLock(folder.Identity());
    } catch (const RuntimeLock::Held &held) {
        throw FolderLock::AlreadyOpen(AlreadyOpenText(
            folder, held.Holder(), QStringLiteral("そのプログラムを終わらせてから起動し直してください。")));
    }
}

}

FolderLock::FolderLock(const DiaryFolder &folder)
    : m_runtime(LockOnThisComputer(folder))
    , m_path(folder.Path() + u'/' + FileName())
{
    // An empty sign, or one of a program that no longer runs (killed, a power cut), is replaced.
    const Sign found = ReadSign(m_path);
    if (HeldHereBy(found, folder))
        throw AlreadyOpen(AlreadyOpenText(folder, found.pid,
            QStringLiteral("そのプログラムを終わらせるか、もうないときはフォルダーの「%1」を消してから、"
                           "起動し直してください。")
                .arg(FileName())));
    if (!found.host.isEmpty() && found.host != QSysInfo::machineHostName())
        m_notice = QStringLiteral("この日記は、別のコンピューター「%1」でも開いているかもしれません。"
                                  "両方で書いても、%2のときに日ごとに合わせるので、どちらの内容も失われません。"
                                  "同じ日を両方で書いたときは、%3を残してお知らせします。")
                       .arg(found.host, Words::Save, Words::ConflictCopy);
    WriteSign(folder);
}

FolderLock::~FolderLock()
{
    // A sync tool may have put another computer's sign in its place, or the user deleted it.
    if (!m_sign.isEmpty() && ReadBytes(m_path) == m_sign && ::unlink(QFile::encodeName(m_path).constData()) != 0) {
        const int error = errno;
        qWarning("Noterra: cannot remove %s: %s", qPrintable(m_path), qPrintable(SystemReason::Of(error)));
    }
}

void FolderLock::WriteSign(const DiaryFolder &folder)
{
    const qint64 pid = QCoreApplication::applicationPid();
    m_sign = QByteArray::number(pid) + '\n' + ProgramName(pid).toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8()
        + '\n' + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n';
    const QByteArray path = QFile::encodeName(m_path);
    int descriptor = -1;
    if (::unlink(path.constData()) == 0 || errno == ENOENT)
        descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    const bool written = descriptor >= 0 && ::write(descriptor, m_sign.constData(), m_sign.size()) == m_sign.size();
    const int error = errno;
    if (descriptor >= 0)
        ::close(descriptor);
    if (written)
        return;
    if (descriptor >= 0)
        ::unlink(path.constData());
    m_sign.clear();
    // A folder the program may not write into (a read-only mount, a full disk) opens all the same: its
    // months can be read, and a save fails with its reason, so no other computer's work is lost to it.
    if (error == EROFS || error == EACCES || error == EPERM || error == ENOSPC || error == EDQUOT)
        return;
    throw StoreError(Words::WithDetail(QStringLiteral("日記のフォルダー「%1」に「%2」を作れないため、"
                                                      "どのファイルにも手を付けずに終了します。"
                                                      "フォルダーに書き込めるか確かめてから、起動し直してください。")
                                           .arg(folder.ShownName(), FileName()),
        SystemReason::Of(error)));
}

QString FolderLock::FileName()
{
    return QStringLiteral(".noterra.lock");
}

QStringList FolderLock::RemoveConflictCopies(const QString &directory)
{
    const auto isCopy = [](const QString &name) {
        static const QRegularExpression copy(QStringLiteral(
            "^\\.noterra(\\.sync-conflict-[^/]+| \\([^/)]*conflicted copy[^/)]*\\)|_conflict-[^/]+)\\.lock$"));
        return copy.match(name).hasMatch();
    };
    QStringList failures;
    const QDir folder(directory);
    // Looked for at start and at every activation: plain names first, so that a folder without any
    // such copy costs no pattern.
    for (QDirIterator entry(directory, QDir::Files | QDir::Hidden); entry.hasNext();) {
        const QString name = entry.nextFileInfo().fileName();
        if (!name.startsWith(QStringLiteral(".noterra")) || !name.endsWith(QStringLiteral(".lock"))
            || name == FileName() || !isCopy(name))
            continue;
        QFile file(folder.filePath(name));
        if (!file.remove())
            failures.append(QStringLiteral("%1: %2").arg(name, SystemReason::Of(errno)));
    }
    return failures;
}
