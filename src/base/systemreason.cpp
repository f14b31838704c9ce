#include "base/systemreason.h"

#include <cerrno>

namespace SystemReason {

namespace {

QString Japanese(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("容量不足：ディスクの空きが足りません。");
    case EACCES:
    case EPERM:
        return QStringLiteral("権限不足：このフォルダーかファイルに書き込む権限がありません。");
    case EROFS:
        return QStringLiteral("このディスクは読み取り専用です。");
    case EIO:
        return QStringLiteral("ディスクの読み書きに失敗しました。");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("フォルダーが見つかりません。");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダーがあります。");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます。");
    case ENAMETOOLONG:
        return QStringLiteral("ファイルの名前が長すぎます。");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます。");
    case ENOMEM:
        return QStringLiteral("メモリが足りません。");
    default:
        return QStringLiteral("ファイルを書き込めませんでした。");
    }
}

}

QString Of(int errorNumber)
{
    return QStringLiteral("%1（%2）").arg(Japanese(errorNumber), Text(errorNumber));
}

QString Text(int errorNumber)
{
    return qt_error_string(errorNumber);
}

}
