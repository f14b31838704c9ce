#pragma once

#include <QByteArray>

// Whether the file system of a folder really swaps two names when renameat2 is asked to. A FUSE driver
// whose library hands it the flag may ignore it and rename plainly (exFAT through FUSE 3 answers
// success), and a swap that is a plain rename replaces the month and loses the version before it.
// Tried once per file system while the program runs, on two empty files of its own.
namespace SwapTrial {

// For the file system of target's folder. Throws StoreError when the trial's files cannot be made.
bool Works(const QByteArray &target);

}
