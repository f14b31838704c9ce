#include "store/monthfile.h"

#include "store/storeerror.h"
#include "store/xmldom.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace MonthFile {

namespace {

QString Failure(const QString &path, const QString &reason)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

// A name beside the month file that says what the file is and is not taken yet.
QString KeptAsideName(const QString &path)
{
    const QString base = path + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = base;
    for (int number = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++number)
        candidate = base + u'-' + QString::number(number);
    return candidate;
}

ReadResult KeepAside(const QString &path, const QString &reason)
{
    QFile file(path);
    const QString aside = KeptAsideName(path);
    if (!file.rename(aside))
        throw StoreError(Failure(path, file.errorString()));
    ReadResult result;
    result.status = ReadResult::Status::KeptAside;
    result.keptAsidePath = aside;
    result.reason = reason;
    return result;
}

}

QString FileName(const QString &year, const QString &month)
{
    return QStringLiteral("Diary") + year + month + QStringLiteral(".xml");
}

QString FilePath(const QString &directory, const QString &year, const QString &month)
{
    return directory + u'/' + FileName(year, month);
}

QString ProgramDirectory()
{
    return QCoreApplication::applicationDirPath();
}

ReadResult Read(XmlDocument &doc, const QString &path)
{
    doc.clear();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return ReadResult();
    // Moving a directory away could carry off whatever the user keeps in it; the month stays
    // unusable until the user clears the way.
    if (info.isDir())
        throw StoreError(Failure(path, QStringLiteral("月のファイルの場所に同じ名前のフォルダーがあります。")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return KeepAside(path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return KeepAside(path, file.errorString());
    file.close();
    QString reason;
    if (!doc.loadXml(bytes, &reason))
        return KeepAside(path, reason);
    ReadResult result;
    result.status = ReadResult::Status::Loaded;
    return result;
}

void Write(const XmlDocument &doc, const QString &path)
{
    const QByteArray bytes = doc.saveXml();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw StoreError(Failure(path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw StoreError(Failure(path, reason));
    }
    if (!file.commit())
        throw StoreError(Failure(path, file.errorString()));
}

}
