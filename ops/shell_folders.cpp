#include "shell_folders.h"

namespace ops {

BOOL PathFromItemList(PCIDLIST_ABSOLUTE pidl, CString& strPath)
{
    char szPath[MAX_PATH];
    if (!sys::SHGetPathFromIDListA(pidl, szPath))
        return FALSE;
    szPath[MAX_PATH - 1] = '\0';  // the buffer is the system's to fill: never read past it
    strPath = szPath;
    return TRUE;
}

BOOL ShellFolderPath(int nFolder, CString& strPath)
{
    PIDLIST_ABSOLUTE pidl = NULL;
    if (sys::SHGetSpecialFolderLocation(NULL, nFolder, &pidl) != S_OK)
        return FALSE;
    BOOL bFound = PathFromItemList(pidl, strPath);
    ::CoTaskMemFree(pidl);
    return bFound;
}

BOOL LinkFolderPath(BOOL bAllUsers, int nUserFolder, int nCommonFolder, CString& strPath)
{
    return (bAllUsers && ShellFolderPath(nCommonFolder, strPath)) || ShellFolderPath(nUserFolder, strPath);
}

} // namespace ops
