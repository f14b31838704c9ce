#include "usermessages/systemreason.h"

#include <array>
#include <cerrno>

namespace SystemReason {

namespace {

struct Reason
{
    int number;
    const char16_t *text;
};

// The failures a diary's files meet in practice; each says what stands in the way, not the call.
const std::array Reasons = {
    Reason { ENOSPC, u"ディスクの空きが足りません（容量不足）。" },
    Reason { EDQUOT, u"このアカウントが使える容量を超えました（容量不足）。" },
    Reason { EACCES, u"このフォルダーかファイルを使う権限がありません（権限不足）。" },
    Reason { EPERM, u"この操作は許されていません（権限不足）。" },
    Reason { EROFS, u"このディスクは読み取り専用です。" },
    Reason { EIO, u"ディスクの読み書きに失敗しました。" },
    Reason { ENOENT, u"ファイルかフォルダーが見つかりません。" },
    Reason { ENOTDIR, u"フォルダーのはずの場所に、フォルダーではないものがあります。" },
    Reason { EISDIR, u"同じ名前のフォルダーがあります。" },
    Reason { EEXIST, u"同じ名前のものがすでにあります。" },
    Reason { ENOTEMPTY, u"フォルダーが空ではありません。" },
    Reason { EXDEV, u"別のディスクへは移せません。" },
    Reason { EFBIG, u"ファイルが大きすぎます。" },
    Reason { ENAMETOOLONG, u"ファイルの名前が長すぎます。" },
    Reason { ELOOP, u"シンボリックリンクがたどれません。" },
    Reason { EMFILE, u"開いているファイルが多すぎます。" },
    Reason { ENFILE, u"開いているファイルが多すぎます。" },
    Reason { ENOMEM, u"メモリーが足りません。" },
    Reason { EBUSY, u"ほかのプログラムが使っています。" },
    Reason { ETXTBSY, u"ほかのプログラムが使っています。" },
    Reason { EAGAIN, u"いまは使えません。少し待ってから、もう一度行ってください。" },
    Reason { EINTR, u"途中で止められました。" },
    Reason { ENODEV, u"ディスクが見つかりません。" },
    Reason { ENXIO, u"ディスクが見つかりません。" },
    Reason { ESTALE, u"ネットワーク上のファイルが見えなくなりました。" },
    Reason { ENOTSUP, u"このディスクではできない操作です。" },
    Reason { EMLINK, u"このディスクではできない操作です。" },
    Reason { EINVAL, u"このディスクではできない操作です。" },
};

}

QString Of(int errorNumber)
{
    for (const Reason &reason : Reasons) {
        if (reason.number == errorNumber)
            return QString::fromUtf16(reason.text);
    }
    return QStringLiteral("ファイルを読み書きできませんでした（エラー番号 %1）。").arg(errorNumber);
}

}
