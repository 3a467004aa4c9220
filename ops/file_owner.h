// Whose an open file is, as a run that may write to it must know: a file somebody else
// made is never one an administrator's run adds its lines to.
#pragma once
#include "manifest.h"

namespace ops {

// Whether the file's owner is Administrators, SYSTEM, TrustedInstaller, or the user this
// process runs as or makes the owner of what it creates (and it has rights at all).
// Where the system or the drive keeps no owners (Windows 9x, FAT), TRUE: there is
// nobody else to tell apart.
BOOL IsOwnedByThisRun(HANDLE hFile);

} // namespace ops
