#include "store/monthfile.h"

#include "store/durablefile.h"
#include "store/storeerror.h"
#include "store/xmldom.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// A file that would not load again, or would load as another document, must never replace one that does.
void VerifyReadsBack(const XmlDocument &doc, const QByteArray &written)
{
    XmlDocument again;
    QString reason;
    if (!again.loadXml(written, &reason))
        throw StoreError(QStringLiteral("保存した内容を読み込み直せないため、元のファイルを残しました。（%1）").arg(reason));
    if (!doc.sameContent(again))
        throw StoreError(QStringLiteral("保存した内容を読み込み直すと元と違うため、元のファイルを残しました。"));
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
    try {
        const QByteArray bytes = doc.saveXml();
        DurableFile file(path);
        file.Write(bytes);
        // The file holds exactly these bytes, so loading them is loading the file.
        file.VerifyWritten();
        VerifyReadsBack(doc, bytes);
        file.Commit();
    } catch (const StoreError &error) {
        throw StoreError(Failure(path, error.message()));
    }
}

}
