#include "store/folder/programfolder.h"

#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"
#include "usermessages/words.h"

#include <QByteArray>

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace ProgramFolder {

namespace {

QString UnknownFolder(const QString &systemText)
{
    return Words::WithDetail(QStringLiteral("このプログラムのあるフォルダーがわからないため、どのファイルにも"
                                            "手を付けずに終了します。日記のファイルと同じフォルダーにある"
                                            "プログラムを起動し直してください。"),
        systemText);
}

// What failed and why. errno is read first: making the text may change it.
QString SystemText(const char *what)
{
    const int error = errno;
    return QString::fromLocal8Bit(what) + QStringLiteral(": ") + SystemReason::Of(error);
}

// The executable's own path, byte for byte as the system spells it.
QByteArray ExecutablePath()
{
    QByteArray path(4096, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), size_t(path.size()));
        if (length < 0)
            throw StoreError(UnknownFolder(SystemText("/proc/self/exe")));
        if (length < path.size())
            return path.left(length);
        path.resize(path.size() * 2);
    }
}

}

DiaryFolder Open()
{
    const QByteArray executable = ExecutablePath();
    // Byte for byte: a folder named in other bytes than UTF-8 (Shift_JIS, from a disk written on
    // Windows) is opened as it is, since the folder is reached through the open folder afterwards.
    return DiaryFolder(executable.left(std::max<qsizetype>(executable.lastIndexOf('/'), 1)));
}

}
