#include "store/monthfile/monthfile.h"

#include "store/durablewrite/durablefile.h"
#include "store/durablewrite/keptfilename.h"
#include "store/durablewrite/saveleftovers.h"
#include "store/xml/xmldom.h"
#include "usermessages/storeerror.h"
#include "usermessages/systemreason.h"
#include "usermessages/words.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace MonthFile {

namespace {

QString Failure(const QString &path, const QString &reason)
{
    return QStringLiteral("「%1」: %2").arg(QFileInfo(path).fileName(), reason);
}

// Another program's version that a save replaced unseen until that moment, kept whole as a
// conflict copy.
QString KeepStranded(const QString &path, const QString &stranded)
{
    QString copy = KeptFileName::MoveAside(stranded, path, QStringLiteral(".conflict-"));
    if (copy.isEmpty()) {
        const int error = errno;
        throw StoreError(Words::WithDetail(QStringLiteral("ほかのプログラムが書いた内容を「%1」に残しました。"
                                                          "消さずに取っておいてください。")
                                               .arg(QDir::toNativeSeparators(stranded)),
            SystemReason::Of(error)));
    }
    return copy;
}

// A month file is far smaller; anything larger is no month of this diary, and reading it whole could
// take all memory.
constexpr qint64 Megabyte = qint64(1024) * 1024;
constexpr qint64 LargestMonthFile = 256 * Megabyte;

// Throws, in words for the user, unless what stands at path is a regular file of a month's size:
// a named pipe would hold the program until something writes into it, a device such as /dev/zero
// never ends, and moving a directory aside could carry off whatever the user keeps in it. The
// thing is left where it is; the month stays unusable until the user clears the way.
void RefuseUnlessMonthFile(const QString &path, const struct stat &status)
{
    QString what;
    if (S_ISDIR(status.st_mode))
        what = QStringLiteral("と同じ名前のフォルダーがあります");
    else if (!S_ISREG(status.st_mode))
        what = QStringLiteral("と同じ名前で、ふつうのファイルではないものがあります");
    else if (status.st_size > LargestMonthFile)
        what = QStringLiteral("は、月のファイルとしては大きすぎます（%1メガバイト）")
                   .arg((status.st_size + Megabyte - 1) / Megabyte);
    else
        return;
    // The user must find the thing to move it, so its whole path is told.
    throw StoreError(Words::WithDetail(QStringLiteral("「%1」%2。この月は開かず、それにも手を付けません。"
                                                      "それを別の場所へ移してから、もう一度この月を開いてください。")
                                           .arg(QFileInfo(path).fileName(), what),
        QDir::toNativeSeparators(path)));
}

// A file that would not load again, or would load as another document, must never replace one that does.
void VerifyReadsBack(const XmlDocument &doc, const QByteArray &written)
{
    XmlDocument again;
    QString reason;
    if (!again.loadXml(written, &reason))
        throw StoreError(Words::WithDetail(
            QStringLiteral("保存した内容を読み込み直せないため、元のファイルを残しました。"), reason));
    if (!doc.sameContent(again))
        throw StoreError(QStringLiteral("保存した内容を読み込み直すと元と違うため、元のファイルを残しました。"));
}

// A file's bytes, read only when a regular file of a month's size stands at path.
struct RawFile
{
    bool exists = true;
    QByteArray bytes;
    QString failure; // why an existing file could not be read
};

RawFile ReadRaw(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    if (::stat(name.constData(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT && !QFileInfo(path).isSymLink())
            return { false, {}, {} };
        return { true, {}, SystemReason::Of(error) };
    }
    RefuseUnlessMonthFile(path, status);
    // Without waiting, and checked again once open: something else may have taken the name since.
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return { true, {}, SystemReason::Of(errno) };
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const int error = errno;
        ::close(descriptor);
        return { true, {}, SystemReason::Of(error) };
    }
    if (::fstat(descriptor, &status) != 0)
        return { true, {}, SystemReason::Of(errno) };
    RefuseUnlessMonthFile(path, status);
    RawFile raw;
    raw.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raw.failure = SystemReason::Of(errno);
    return raw;
}

// "Diary", digits and ".xml": a month's own name, which is never a copy.
bool IsMonthName(const QString &name)
{
    const QStringView middle = QStringView(name).sliced(5, name.size() - 9);
    return !middle.isEmpty()
        && std::all_of(middle.begin(), middle.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
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

ReadResult KeepAside(const QString &path, const QString &reason)
{
    const QString aside = KeptFileName::MoveAside(path, path, QStringLiteral(".unreadable-"));
    if (aside.isEmpty()) {
        const int error = errno;
        throw StoreError(
            Words::WithDetail(QStringLiteral("「%1」を読み込めず、別の名前にして残すこともできないため、"
                                             "この月は開きません。ファイルはそのまま残っています。"
                                             "フォルダーに書き込めるか確かめてから、もう一度開いてください。")
                                  .arg(QFileInfo(path).fileName()),
                reason + SystemReason::Of(error)));
    }
    ReadResult result;
    result.status = ReadResult::Status::KeptAside;
    result.keptAsidePath = aside;
    result.reason = reason;
    return result;
}

ReadResult Read(XmlDocument &doc, const QString &path)
{
    doc.clear();
    const RawFile raw = ReadRaw(path);
    if (!raw.exists)
        return ReadResult();
    if (!raw.failure.isEmpty())
        return KeepAside(path, raw.failure);
    QString reason;
    if (!doc.loadXml(raw.bytes, &reason))
        return KeepAside(path, reason);
    ReadResult result;
    result.status = ReadResult::Status::Loaded;
    result.bytes = raw.bytes;
    return result;
}

OnDisk Peek(const QString &path)
{
    const RawFile raw = ReadRaw(path);
    if (!raw.failure.isEmpty())
        throw StoreError(
            Words::WithDetail(QStringLiteral("「%1」を読めないため、ほかのプログラムが変えていないか確かめられません。")
                                  .arg(QFileInfo(path).fileName()),
                raw.failure));
    return { raw.exists, raw.bytes };
}

bool Holds(const QString &path, const OnDisk &expected)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return errno == ENOENT && !expected.exists && !QFileInfo(path).isSymLink();
    struct stat status;
    bool same = false;
    try {
        same = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && expected.exists
            && DurableFile::HoldsExactly(descriptor, expected.bytes);
    } catch (const StoreError &) {
        // A file that cannot be read holds nothing expected; the caller reads it and says why.
    }
    ::close(descriptor);
    return same;
}

QStringList ConflictCopies(const QString &directory)
{
    // A month's digits followed by anything but ".xml" alone, or another computer's save kept the
    // other version as KeepConflictCopy names it. Looked for at start and at every activation:
    // plain names first, so that a folder of months alone costs no pattern.
    const auto isCopy = [](const QString &name) {
        static const QRegularExpression copy(
            QStringLiteral("^Diary\\d{5,6}(?:\\D.*\\.xml|\\.xml\\.conflict-\\d{8}-\\d{6}(?:-\\d+)?)$"));
        return copy.match(name).hasMatch();
    };
    QStringList copies;
    for (QDirIterator entry(directory, QDir::Files); entry.hasNext();) {
        const QString name = entry.nextFileInfo().fileName();
        if (name.startsWith(QStringLiteral("Diary"))
            && ((name.endsWith(QStringLiteral(".xml")) && !IsMonthName(name))
                || name.contains(QStringLiteral(".xml.conflict-")))
            && isCopy(name))
            copies.append(name);
    }
    copies.sort();
    return copies;
}

QStringList RemoveLeftovers(const QString &directory)
{
    return SaveLeftovers::Resolve(directory);
}

QString KeepConflictCopy(const QString &path, const QByteArray &bytes)
{
    QString copy = KeptFileName::NameFor(path, QStringLiteral(".conflict-"));
    try {
        DurableFile file(copy);
        file.Write(bytes);
        file.VerifyWritten();
        file.Commit();
    } catch (const StoreError &error) {
        throw StoreError(Failure(copy, error.message()));
    }
    return copy;
}

WriteResult Write(const XmlDocument &doc, const QString &path, const std::optional<OnDisk> &expected)
{
    try {
        const QByteArray bytes = doc.saveXml();
        // What is written must load again, and the loader refuses anything larger.
        if (bytes.size() > LargestMonthFile)
            throw StoreError(
                QStringLiteral("月のファイルが%1メガバイトを超えるため、保存しません。元のファイルはそのままです。"
                               "長い記事を短くするか、いくつかを別の月へ移してください。")
                    .arg(LargestMonthFile / Megabyte));
        DurableFile file(path);
        file.Write(bytes);
        // The file holds exactly these bytes, so loading them is loading the file.
        file.VerifyWritten();
        VerifyReadsBack(doc, bytes);
        const auto isExpected = [&expected](int fd) {
            return fd < 0 ? !expected->exists : expected->exists && DurableFile::HoldsExactly(fd, expected->bytes);
        };
        const DurableFile::Committed committed = file.Commit(expected ? isExpected : std::function<bool(int)>());
        WriteResult result;
        result.bytes = bytes;
        result.changedMeanwhile = committed != DurableFile::Committed::Replaced;
        if (committed == DurableFile::Committed::ReplacedOther)
            result.keptPath = KeepStranded(path, file.Stranded());
        if (!file.BackupSkipped().isEmpty())
            result.backupSkipped = Words::WithDetail(
                QStringLiteral("「%1」は保存しました。ただ、%2を「%1.bak」として残せませんでした。"
                               "「%1.bak」の名前で何かがあるときは、それを別の場所へ移してください。")
                    .arg(QFileInfo(path).fileName(), Words::PreviousVersion),
                file.BackupSkipped());
        return result;
    } catch (const StoreError &error) {
        throw StoreError(Failure(path, error.message()));
    }
}

}
