// The traces of an earlier installation (its three registry keys, its directory
// and its program group): found and, in remove mode, removed.
#pragma once
#include "manifest.h"

namespace ops {

// TRUE when any trace is found. A readable "Path" of the application-path key
// replaces strInstallDir (and sets *pbPathRead), and that directory is the one
// probed; strGroupDir is the program group. In remove mode the keys, the
// product's program files in that directory and the group's links are deleted.
BOOL DetectPreviousInstall(BOOL bRemove, CString& strInstallDir, const CString& strGroupDir, BOOL* pbPathRead);
// Deletes the files (never directories) in pszDir that match pszPattern; silent.
void DeleteMatchingFiles(const char* pszDir, const char* pszPattern);

} // namespace ops
