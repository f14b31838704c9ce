#include "store/durablewrite/saveleftovers.h"

#include "store/durablewrite/keptfilename.h"
#include "store/durablewrite/savenames.h"
#include "usermessages/systemreason.h"
#include "usermessages/words.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <cerrno>
#include <map>
#include <optional>

namespace SaveLeftovers {

namespace {

// The files one save left, by its tag.
struct CutOff
{
    QString target;
    QString aside;
    QString temporary;
    // A temporary file renamed for a swap is the save's own only while it is the file of that inode.
    bool temporaryIsOwn = true;
};

std::optional<QByteArray> BytesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

class Resolver
{
public:
    explicit Resolver(const QString &directory)
        : m_folder(directory)
    {
    }
    void Resolve(const CutOff &cut);
    QStringList Failures() const { return m_failures; }

private:
    void ResolveSetAside(const CutOff &cut);
    void ResolveTemporary(const CutOff &cut);
    void PutBack(const CutOff &cut);
    void Move(const QString &from, const QString &to, const QString &whatToDo);
    void Remove(const QString &name);
    void KeepAsConflictCopy(const QString &name, const QString &target);

    QDir m_folder;
    QStringList m_failures;
};

void Resolver::Resolve(const CutOff &cut)
{
    if (!cut.aside.isEmpty())
        ResolveSetAside(cut);
    else
        ResolveTemporary(cut);
}

void Resolver::ResolveSetAside(const CutOff &cut)
{
    const QString target = m_folder.filePath(cut.target);
    const std::optional<QByteArray> month = BytesOf(target);
    const std::optional<QByteArray> written
        = cut.temporary.isEmpty() ? std::nullopt : BytesOf(m_folder.filePath(cut.temporary));
    // Cut off before the new file was whole: the month goes back, and the journal brings the work again.
    if ((!month && !QFileInfo::exists(target) && !QFileInfo(target).isSymLink())
        || (month && written && month->size() < written->size() && written->startsWith(*month)))
        PutBack(cut);
    else if (month && BytesOf(m_folder.filePath(cut.aside)) == month)
        Remove(cut.aside);
    else
        // Not judged yet, or another program's: kept whole.
        KeepAsConflictCopy(cut.aside, cut.target);
    if (!cut.temporary.isEmpty())
        Remove(cut.temporary);
}

void Resolver::ResolveTemporary(const CutOff &cut)
{
    if (cut.temporaryIsOwn) {
        Remove(cut.temporary);
        return;
    }
    // What a swap handed over and the kill kept from its conflict copy's name, unless it is the month's
    // own bytes, which a file system whose inodes change between mounts shows under another inode.
    const std::optional<QByteArray> month = BytesOf(m_folder.filePath(cut.target));
    if (month && BytesOf(m_folder.filePath(cut.temporary)) == month)
        Remove(cut.temporary);
    else
        KeepAsConflictCopy(cut.temporary, cut.target);
}

void Resolver::PutBack(const CutOff &cut)
{
    // What stands at the month's name is the save's own cut-off file, empty or part-written.
    if (!KeptFileName::Replace(m_folder.filePath(cut.aside), m_folder.filePath(cut.target)))
        m_failures.append(Words::WithDetail(
            QStringLiteral("「%1」: この月の内容です。名前を「%2」に戻してください。").arg(cut.aside, cut.target),
            SystemReason::Of(errno)));
}

void Resolver::Move(const QString &from, const QString &to, const QString &whatToDo)
{
    if (::rename(QFile::encodeName(m_folder.filePath(from)).constData(),
            QFile::encodeName(m_folder.filePath(to)).constData())
        != 0)
        m_failures.append(Words::WithDetail(QStringLiteral("「%1」: %2").arg(from, whatToDo), SystemReason::Of(errno)));
}

void Resolver::Remove(const QString &name)
{
    if (!QFile::remove(m_folder.filePath(name)))
        m_failures.append(
            Words::WithDetail(QStringLiteral("「%1」: 日記には差し支えないので、手で削除してかまいません。").arg(name),
                SystemReason::Of(errno)));
}

void Resolver::KeepAsConflictCopy(const QString &name, const QString &target)
{
    const QString copy
        = QFileInfo(KeptFileName::NameFor(m_folder.filePath(target), QStringLiteral(".conflict-"))).fileName();
    Move(name, copy, QStringLiteral("ほかのプログラムが書いた内容です。消さずに取っておいてください。"));
}

}

QStringList Resolve(const QString &directory)
{
    std::map<QString, CutOff> saves;
    const QDir folder(directory);
    for (const QString &name :
        folder.entryList({ QStringLiteral("Diary*.noterra*") }, QDir::Files | QDir::Hidden | QDir::System)) {
        const SaveNames::Parsed parsed = SaveNames::Parse(name);
        struct stat status;
        if (parsed.kind == SaveNames::Parsed::Kind::None
            || ::lstat(QFile::encodeName(folder.filePath(name)).constData(), &status) != 0 || !S_ISREG(status.st_mode))
            continue;
        CutOff &cut = saves[parsed.tag];
        cut.target = parsed.target;
        if (parsed.kind == SaveNames::Parsed::Kind::SetAside) {
            cut.aside = name;
            continue;
        }
        cut.temporary = name;
        cut.temporaryIsOwn = parsed.kind == SaveNames::Parsed::Kind::Temporary || parsed.inode == status.st_ino;
    }
    Resolver resolver(directory);
    for (const auto &[tag, cut] : saves)
        resolver.Resolve(cut);
    return resolver.Failures();
}

}
