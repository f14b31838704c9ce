#pragma once

#include <QString>

// The folder of the running executable, which holds the diary's month files and nothing else
// decides. It comes from the executable's own path, never from the command line or the
// environment.
namespace ProgramFolder {

// A path through which Qt reaches that very folder, byte for byte. Throws StoreError, in words
// for the user, when the program cannot tell its folder; no month file may be read or written then.
QString Directory();

}
