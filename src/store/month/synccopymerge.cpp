#include "store/month/synccopymerge.h"

#include "store/merge/monthmerge.h"
#include "store/month/publicmod.h"
#include "store/monthfile/monthfile.h"
#include "store/xml/xmldom.h"
#include "usermessages/storeerror.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace SyncCopyMerge {

namespace {

const QString MergedSuffix = QStringLiteral(".merged");

// The sync tools' copies of the month at path; a version another computer's save kept beside it
// holds a conflict the user was told of there, and is never merged behind the user's back.
QStringList CopiesOf(const QString &path)
{
    const QFileInfo month(path);
    const QString stem = month.completeBaseName();
    QStringList copies;
    for (const QString &name : MonthFile::ConflictCopies(month.path())) {
        if (name.startsWith(stem) && !name.at(stem.size()).isDigit() && !name.startsWith(month.fileName()))
            copies.append(month.dir().filePath(name));
    }
    return copies;
}

}

QStringList TakeIn(PublicMod &state, const QString &path)
{
    QStringList taken;
    for (const QString &copyPath : CopiesOf(path)) {
        XmlDocument copy;
        try {
            const MonthFile::OnDisk bytes = MonthFile::Peek(copyPath);
            if (!bytes.exists || !copy.loadXml(bytes.bytes, nullptr))
                continue;
        } catch (const StoreError &) {
            // Not a month that can be read: the list of copies names it with the reason.
            continue;
        }
        const std::optional<std::vector<int>> days = MonthMerge::TakeInCopy(state.xmlDoc, copy);
        if (!days)
            continue;
        taken.append(copyPath);
        if (!days->empty())
            state.unsavedChanges = true;
        state.changedDays.insert(days->cbegin(), days->cend());
    }
    return taken;
}

void SetAside(const QStringList &copies)
{
    for (const QString &copy : copies) {
        // A copy that keeps its name is named to the user again, as holding nothing the month lacks;
        // a file of the new name is the user's and stays.
        const QString merged = copy + MergedSuffix;
        if (QFileInfo::exists(merged) || QFileInfo(merged).isSymLink()
            || std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(merged).constData()) != 0)
            qWarning("Noterra: a merged copy keeps its name: %s", qPrintable(copy));
    }
}

QStringList MergedCopies(const QString &directory)
{
    QStringList merged;
    for (const QString &name : QDir(directory).entryList({ QStringLiteral("Diary*") + MergedSuffix }, QDir::Files)) {
        if (name.chopped(MergedSuffix.size()).endsWith(QStringLiteral(".xml")))
            merged.append(name);
    }
    return merged;
}

}
