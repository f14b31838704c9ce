#include "store/folder/diaryfolder.h"

#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"
#include "usermessages/words.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

struct DiaryFolder::Open
{
    QByteArray path;
    int descriptor = -1;
    struct stat identity
    {
    };

    ~Open()
    {
        if (descriptor >= 0)
            close(descriptor);
    }
};

namespace {

QString Shown(const QByteArray &path)
{
    return QDir::toNativeSeparators(QFile::decodeName(path));
}

QString IdentityText(const struct stat &info)
{
    return QStringLiteral("%1-%2").arg(quint64(info.st_dev), 0, 16).arg(quint64(info.st_ino), 0, 16);
}

}

DiaryFolder::DiaryFolder(const QByteArray &path)
{
    auto open = std::make_shared<Open>();
    open->path = path;
    open->descriptor = ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (open->descriptor < 0 || fstat(open->descriptor, &open->identity) != 0) {
        const QString reason = SystemReason::Of(errno);
        throw StoreError(Words::WithDetail(
            QStringLiteral("日記のフォルダー「%1」を開けないため、どのファイルにも手を付けずに終了します。")
                .arg(::Shown(path)),
            reason));
    }
    m_open = std::move(open);
}

DiaryFolder::DiaryFolder(const QString &path)
    : DiaryFolder(QFile::encodeName(path))
{
}

QString DiaryFolder::Path() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(m_open->descriptor);
}

QByteArray DiaryFolder::OpenedPath() const
{
    return m_open->path;
}

QString DiaryFolder::ShownName() const
{
    return ::Shown(m_open->path);
}

QString DiaryFolder::Shown(const QString &text) const
{
    return QString(text).replace(QDir::toNativeSeparators(Path()), ShownName());
}

QString DiaryFolder::Identity() const
{
    return IdentityText(m_open->identity);
}

QString DiaryFolder::IdentityOf(const QByteArray &path)
{
    struct stat info
    {
    };
    return stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) ? IdentityText(info) : QString();
}

void DiaryFolder::VerifyInPlace() const
{
    struct stat now
    {
    };
    const bool named = stat(m_open->path.constData(), &now) == 0;
    if (named && now.st_dev == m_open->identity.st_dev && now.st_ino == m_open->identity.st_ino)
        return;
    // Whatever has the folder's name now (another stick, a new folder) is not the diary.
    const QString systemText = named ? QString() : SystemReason::Of(errno);
    throw StoreError(
        Words::WithDetail(QStringLiteral("日記のフォルダー「%1」が、起動したときの場所にありません。"
                                         "ディスクやフォルダーを元に戻してから、もう一度保存してください。")
                              .arg(ShownName()),
            systemText));
}
