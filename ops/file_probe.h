// The one look at the file system by name: what the system's directory search finds
// at a path or pattern. It never opens a file, so a locked or unreadable one is seen.
// And the one removal of a file by name.
#pragma once
#include "manifest.h"

namespace ops {

// The first entry that pszPath names (a wildcard pattern allowed); FALSE when there is none.
BOOL ProbePath(const char* pszPath, struct _finddata_t* pfd);
// Adds the names of the files (not directories) that pszPattern matches, as found.
void ListFiles(const char* pszPattern, CStringArray& names);
// Deletes the file, read-only or not; TRUE when it went.
BOOL RemoveFile(const char* pszPath);
// Whether pszPath names a directory.
BOOL IsDirectory(const char* pszPath);
// The length of the file pszPath; FALSE when there is no such file (a directory is none).
BOOL FileLength(const char* pszPath, DWORD* pnLength);

// Which directory a path reaches, whatever name, case, short name, link or mapped
// drive led there: its volume and its index on that volume.
struct DirIdentity {
    DWORD dwVolume;
    DWORD nIndexHigh;
    DWORD nIndexLow;
};
// FALSE when the system cannot tell (a system without the query, a volume that
// gives no index): the caller must then not take two paths for different places.
BOOL DirectoryIdentity(const char* pszDir, DirIdentity* pId);

} // namespace ops
