// The programs that run from the installation's directories, in any session. A copy
// of Merolin that another user started, or that runs in a session other than the
// installer's (a deployment runs in the system's own), holds its files open, but the
// start-up check sees only the windows and the named objects of its own session.
#pragma once
#include "manifest.h"

namespace ops {

// The first process other than this one whose program file lies directly in one of
// the nDirs directories (empty ones are skipped; the comparison is ordinal and folds
// only the single-byte letters a-z): its id and program file. FALSE when there is
// none, and where the system cannot tell: Windows NT 4 lists no processes, and 2000
// and XP name no process's program file but by its file name.
BOOL FindProgramRunningIn(const char* const* ppszDirs, int nDirs, DWORD* pnProcessId, CString& strProgram);

} // namespace ops
