#pragma once

#include "usermessages/storeerror.h"

#include <QString>

// Makes this program the only one on this computer that holds a diary: a kernel lock on a file in
// the user's own runtime folder, named for the diary's folder. Nothing in the diary's folder
// decides it, since a sync tool can replace or delete anything there, and the kernel lets the lock
// go when the process ends however it ends, so it is never left stale.
class RuntimeLock
{
public:
    // Another program of this computer holds the name.
    class Held : public StoreError
    {
    public:
        explicit Held(qint64 holder)
            : StoreError(QStringLiteral("ほかのプログラムが開いています。"))
            , m_holder(holder)
        {
        }
        // Its process number, or 0 when it is not known.
        qint64 Holder() const { return m_holder; }

    private:
        qint64 m_holder;
    };

    // Throws Held when another program of this computer holds the name, StoreError, in words for
    // the user, when the lock cannot be made.
    explicit RuntimeLock(const QString &name);
    ~RuntimeLock();
    RuntimeLock(const RuntimeLock &) = delete;
    RuntimeLock &operator=(const RuntimeLock &) = delete;

    // $XDG_RUNTIME_DIR/noterra, or a folder of the user's own under /tmp when that is not set (in the
    // user's state folder when another account has that name); made when missing and refused unless
    // it is a folder that only this account may open. Throws StoreError.
    static QString Folder();

private:
    int m_descriptor = -1;
};
