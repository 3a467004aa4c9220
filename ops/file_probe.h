// The one look at the file system by name: what the system's directory search finds
// at a path or pattern. It never opens a file, so a locked or unreadable one is seen.
#pragma once
#include "manifest.h"

namespace ops {

// The first entry that pszPath names (a wildcard pattern allowed); FALSE when there is none.
BOOL ProbePath(const char* pszPath, struct _finddata_t* pfd);
// Whether pszPath names a directory.
BOOL IsDirectory(const char* pszPath);
// The length of the file pszPath; FALSE when there is no such file (a directory is none).
BOOL FileLength(const char* pszPath, DWORD* pnLength);

} // namespace ops
