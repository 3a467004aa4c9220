#include "file_probe.h"

namespace ops {

BOOL ProbePath(const char* pszPath, struct _finddata_t* pfd)
{
    intptr_t hFind = sys::_findfirst(pszPath, pfd);
    if (hFind == -1)
        return FALSE;
    sys::_findclose(hFind);
    return TRUE;
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

} // namespace ops
