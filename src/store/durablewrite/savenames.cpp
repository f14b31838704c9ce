#include "store/durablewrite/savenames.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace SaveNames {

namespace {

const QByteArray Word = ".noterra";

}

QByteArray NewTag()
{
    return QByteArray::number(QRandomGenerator::global()->generate64(), 16).rightJustified(16, '0');
}

QByteArray Temporary(const QByteArray &target, const QByteArray &tag)
{
    return target + Word + tag + ".tmp";
}

QByteArray Marked(const QByteArray &target, const QByteArray &tag, ino_t inode)
{
    return target + Word + tag + 'i' + QByteArray::number(quint64(inode)) + ".tmp";
}

QByteArray SetAside(const QByteArray &target, const QByteArray &tag)
{
    return target + Word + tag + ".prev";
}

Parsed Parse(const QString &name)
{
    // Only beside a month file or a conflict copy, the files saves write in a diary folder.
    static const QRegularExpression form(
        QStringLiteral("^(Diary[1-9]\\d{0,3}(?:1[0-2]|[1-9])\\.xml(?:\\.conflict-\\d{8}-\\d{6}(?:-\\d+)?)?)"
                       "\\.noterra([0-9a-f]{16})(?:(\\.prev)|(?:i([1-9]\\d{0,19}))?\\.tmp)$"));
    const QRegularExpressionMatch match = form.match(name);
    Parsed parsed;
    if (!match.hasMatch())
        return parsed;
    parsed.target = match.captured(1);
    parsed.tag = match.captured(2);
    bool isNumber = false;
    parsed.inode = ino_t(match.captured(4).toULongLong(&isNumber));
    if (match.hasCaptured(3))
        parsed.kind = Parsed::Kind::SetAside;
    else if (match.hasCaptured(4))
        parsed.kind = isNumber ? Parsed::Kind::Marked : Parsed::Kind::None;
    else
        parsed.kind = Parsed::Kind::Temporary;
    return parsed;
}

}
