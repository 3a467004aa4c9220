// The installer's own file, as the copy that an installation keeps is made from it.
// Whoever owns the folder the installer was started from (the user's downloads, where
// an administrator ran it) may rename the running file, which the system allows, and
// put a program of their own at its name; the kept copy, which administrators and
// deployment tools run later, must never be that program. So the file is opened at
// start, shared with readers only: from then on nobody can change, rename or delete
// it. Before anything is made from it, its headers and sections are checked against
// the image the process runs, as the system mapped it: a file put there before the
// open is not that image.
#pragma once
#include "manifest.h"

namespace ops {

// Opens the program's own file (in place of one opened before); the first thing the
// installer does. Where it cannot be opened, no copy can be made from it.
void OpenRunningImage();
// Whether the file at pszPath holds exactly the bytes of the file opened at start, and
// that file is the running image.
BOOL IsRunningImageCopy(const char* pszPath);
// Writes the file opened at start to pszPath, replacing what is there; FALSE when
// that file is not the running image, or the copy cannot be written whole.
BOOL WriteRunningImage(const char* pszPath);

} // namespace ops
