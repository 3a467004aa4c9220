#include "running_image.h"
#include <string.h>

namespace ops {
namespace {

HANDLE g_hImage;  // the file opened at start; NULL: none

typedef BOOL (*ImageUse)(const BYTE* pImage, DWORD nImage, const char* pszPath);

// Hands a view of the whole file opened at start to pfn, when that file is the one the
// system mapped as this process's image (not merely a file of the same bytes); FALSE
// otherwise. Where the system cannot compare the two (Windows 9x, which keeps no users
// apart), the file opened is taken.
BOOL UseImage(ImageUse pfn, const char* pszPath)
{
    BY_HANDLE_FILE_INFORMATION info;
    CHandle mapping(g_hImage && sys::GetFileInformationByHandle(g_hImage, &info)
                        ? sys::CreateFileMappingA(g_hImage, NULL, PAGE_READONLY, 0, 0, NULL)
                        : NULL);
    const BYTE* pView = mapping ? (const BYTE*)sys::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : NULL;
    if (!pView)
        return FALSE;
    ::SetLastError(0);
    const BOOL bUsed = (sys::NtAreMappedFilesTheSame(::GetModuleHandleA(NULL), (PVOID)pView) == 0 ||
                        ::GetLastError() == ERROR_PROC_NOT_FOUND) &&
                       pfn(pView, info.nFileSizeLow, pszPath);
    ::UnmapViewOfFile(pView);
    return bUsed;
}

BOOL HoldsImage(const BYTE* pImage, DWORD nImage, const char* pszPath)
{
    // One byte more is read than the image has: a longer file is another one.
    CFileHandle file(sys::CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
    CHeapArray<BYTE> pBytes(new BYTE[nImage + 1]);
    DWORD nRead;
    return file.IsOpen() && sys::ReadFile(file, pBytes, nImage + 1, &nRead, NULL) && nRead == nImage &&
           memcmp(pBytes, pImage, nImage) == 0;
}

BOOL WriteImage(const BYTE* pImage, DWORD nImage, const char* pszPath)
{
    sys::SetFileAttributesA(pszPath, FILE_ATTRIBUTE_NORMAL);
    CFileHandle file(sys::CreateFileA(pszPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    DWORD nWritten;
    if (file.IsOpen() && sys::WriteFile(file, pImage, nImage, &nWritten, NULL) && nWritten == nImage)
        return TRUE;
    // Nothing half written is left to pass for the installer.
    file.Close();
    sys::remove(pszPath);
    return FALSE;
}

} // namespace

void OpenRunningImage()
{
    if (g_hImage)
        ::CloseHandle(g_hImage);
    g_hImage = NULL;
    char szSelf[MAX_PATH];
    const DWORD n = sys::GetModuleFileNameA(NULL, szSelf, MAX_PATH);
    if (!n || n >= MAX_PATH)
        return;
    // Shared for reading only: it can be neither written, renamed nor deleted meanwhile.
    const HANDLE hFile = sys::CreateFileA(szSelf, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    g_hImage = hFile == INVALID_HANDLE_VALUE ? NULL : hFile;
}

BOOL IsRunningImageCopy(const char* pszPath) { return UseImage(HoldsImage, pszPath); }

BOOL WriteRunningImage(const char* pszPath) { return UseImage(WriteImage, pszPath); }

} // namespace ops
