#include "store/durablewrite/keptfilename.h"

#include <QDateTime>
#include <QFileInfo>

namespace KeptFileName {

QString NameFor(const QString &path, const QString &kind)
{
    const QString base = path + kind + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = base;
    for (int number = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++number)
        candidate = base + u'-' + QString::number(number);
    return candidate;
}

}
