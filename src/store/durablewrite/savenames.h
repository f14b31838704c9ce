#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// The names a save gives its own files beside the file it replaces, and how to tell them from every
// name a person or another program gives: a fixed word and sixteen hexadecimal digits, a form nobody
// types. A save's files share one tag, so that what a cut-off save left is read as one state.
namespace SaveNames {

// Sixteen random hexadecimal digits, new for every save.
QByteArray NewTag();
// Where the new bytes are written: "<target>.noterra<tag>.tmp".
QByteArray Temporary(const QByteArray &target, const QByteArray &tag);
// The temporary file renamed just before a swap, with its inode: "<target>.noterra<tag>i<inode>.tmp".
// The swap leaves the replaced file at this name, and the inode tells it from the file made here.
QByteArray Marked(const QByteArray &target, const QByteArray &tag, ino_t inode);
// Where a save without the swap moves the file it replaces while it judges it: "<target>.noterra<tag>.prev".
QByteArray SetAside(const QByteArray &target, const QByteArray &tag);

struct Parsed
{
    enum class Kind
    {
        None,
        Temporary,
        Marked,
        SetAside
    };
    Kind kind = Kind::None;
    QString target;
    QString tag;
    ino_t inode = 0;
};
// What a name in a diary folder is: one of the forms above, with the month file or conflict copy it
// belongs to, or none.
Parsed Parse(const QString &name);

}
