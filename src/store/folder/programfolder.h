#pragma once

#include "store/folder/diaryfolder.h"

// The folder of the running executable, which holds the diary's month files and nothing else
// decides. It comes from the executable's own path, never from the command line or the
// environment.
namespace ProgramFolder {

// That very folder, held open. Throws StoreError, in words for the user, when the program cannot
// tell its folder; no month file may be read or written then.
DiaryFolder Open();

}
