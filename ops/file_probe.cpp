#include "file_probe.h"

namespace ops {

BOOL ProbePath(const char* pszPath, struct _finddata_t* pfd)
{
    CFindFile find;
    return find.FindFirst(pszPath, pfd);
}

void ListFiles(const char* pszPattern, CStringArray& names)
{
    CFindFile find;
    struct _finddata_t fd;
    for (BOOL bFound = find.FindFirst(pszPattern, &fd); bFound; bFound = find.FindNext(&fd)) {
        if (!(fd.attrib & _A_SUBDIR))
            names.Add(fd.name);
    }
}

BOOL RemoveFile(const char* pszPath)
{
    sys::SetFileAttributesA(pszPath, FILE_ATTRIBUTE_NORMAL);
    return sys::remove(pszPath) == 0;
}

BOOL IsDirectory(const char* pszPath)
{
    struct _finddata_t fd;
    return ProbePath(pszPath, &fd) && (fd.attrib & _A_SUBDIR);
}

BOOL FileLength(const char* pszPath, DWORD* pnLength)
{
    struct _finddata_t fd;
    if (!ProbePath(pszPath, &fd) || (fd.attrib & _A_SUBDIR))
        return FALSE;
    *pnLength = (DWORD)fd.size;
    return TRUE;
}

BOOL DirectoryIdentity(const char* pszDir, DirIdentity* pId)
{
    // Opening a directory needs the backup-semantics flag; no access right is asked.
    CFileHandle dir(sys::CreateFileA(pszDir, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | AfxShareDelete(), NULL,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL));
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL bKnown = dir.IsOpen() && sys::GetFileInformationByHandle(dir, &info) &&
                        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                        (info.nFileIndexHigh | info.nFileIndexLow) != 0;
    if (bKnown) {
        pId->dwVolume = info.dwVolumeSerialNumber;
        pId->nIndexHigh = info.nFileIndexHigh;
        pId->nIndexLow = info.nFileIndexLow;
    }
    return bKnown;
}

} // namespace ops
