#include "target_dir.h"
#include "path.h"
#include "report.h"

namespace ops {
namespace {

// a * b * c in 64 bits; a product beyond 64 bits is held at the largest value.
ULONGLONG MultiplySaturated(DWORD a, DWORD b, DWORD c)
{
    ULONGLONG ab = (ULONGLONG)a * b;  // at most 64 bits
    if (c != 0 && ab > ~(ULONGLONG)0 / c)
        return ~(ULONGLONG)0;
    return ab * c;
}

// The bytes free to the caller on the drive ("C:"); FALSE when the system cannot tell.
// Where the system lacks the newer query, the older one answers.
BOOL QueryFreeBytes(const char* pszDrive, ULONGLONG* pnFree)
{
    ULARGE_INTEGER avail, total, totalFree;
    if (sys::GetDiskFreeSpaceExA(pszDrive, &avail, &total, &totalFree)) {
        *pnFree = avail.QuadPart;
        return TRUE;
    }
    DWORD nSectorsPerCluster, nBytesPerSector, nFreeClusters;
    if (::GetLastError() != ERROR_PROC_NOT_FOUND ||
        !sys::GetDiskFreeSpaceA(pszDrive, &nSectorsPerCluster, &nBytesPerSector, &nFreeClusters, NULL))
        return FALSE;
    *pnFree = MultiplySaturated(nSectorsPerCluster, nBytesPerSector, nFreeClusters);
    return TRUE;
}

// The version library, which expands every payload file, takes paths of fewer than
// this many characters: the directory, a separator and the longest of the names it
// is handed or makes there (ours, and its own temporary name) must fit.
const int kVersionLibraryPathLimit = 128;
const int kLongestExpansionName = sizeof(kVersionTempName) - 1 > sizeof(kTempCompressedFile) - 1
                                      ? sizeof(kVersionTempName) - 1
                                      : sizeof(kTempCompressedFile) - 1;

// Whether the component [p, pEnd) is a name the system keeps for a device in every
// directory, with any extension: CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$,
// CLOCK$.
BOOL IsDeviceName(const char* p, const char* pEnd)
{
    static const char* const kDevices[] = { "CON", "PRN", "AUX", "NUL", "COM#", "LPT#", "CONIN$", "CONOUT$", "CLOCK$" };
    for (int i = 0; i < (int)ARRAYSIZE(kDevices); ++i) {
        const char* q = p;
        for (const char* d = kDevices[i]; q < pEnd && *d; ++q, ++d) {
            if (*d == '#' ? *q < '0' || *q > '9' : AfxFoldAscii(*q) != *d)
                break;
            if (!d[1] && (q + 1 == pEnd || q[1] == '.'))
                return TRUE;
        }
    }
    return FALSE;
}

} // namespace

BOOL CheckTargetDrive(HWND hOwner, const CString& strPath)
{
    if (strPath.GetLength() < 2 || strPath.GetAt(1) != ':') {
        ReportError(hOwner, kInvalidPathText);
        return FALSE;
    }
    const CString strDrive = strPath.Left(2);
    const int nDrive = AfxFoldAscii(strPath.GetAt(0)) - 64;
    if (sys::_chdrive(nDrive) != 0) {
        ReportError(hOwner, kNoDriveText + strDrive);
        return FALSE;
    }
    if (strPath.GetLength() < 3 || strPath.GetAt(2) != '\\') {
        ReportError(hOwner, kInvalidPathText);
        return FALSE;
    }
    // The chain is built relative to the root: without it, directories would be
    // made wherever the process happened to be.
    if (sys::_chdir("\\") != 0) {
        ReportError(hOwner, kNoDriveText + strDrive);
        return FALSE;
    }

    ULONGLONG nFree = 0;
    if (QueryFreeBytes(strDrive, &nFree)) {
        if (nFree >= kRequiredFreeBytes)
            return TRUE;
        ReportError(hOwner, kNoSpaceText + strDrive);
        return FALSE;
    }
    CString strQuestion;
    strQuestion.Format(kUnknownSpaceQuestion, (const char*)strDrive);
    return AfxShowMessageBox(hOwner, strQuestion, kWarningCaption, MB_YESNO | MB_ICONQUESTION, kBoxQuestion) != IDNO;
}


BOOL CreateTargetDirectory(HWND hOwner, const CString& strPath, FolderRights rights)
{
    return CheckTargetDrive(hOwner, strPath) && MakeTargetChain(hOwner, strPath, rights);
}

BOOL MakeTargetChain(HWND hOwner, const CString& strPath, FolderRights rights)
{
    // The directory chain, one name at a time, each made (unless it is there) and
    // entered from the one before.
    for (CPathWalk walk(strPath, 3); walk.Next();) {
        const CString strName(walk.Name(), (int)(walk.End() - walk.Name()));
        if (rights != kInheritedRights)
            MakeOwnFolder(strName, rights);
        else
            sys::_mkdir(strName);
        if (sys::_chdir(strName) != 0) {
            ReportError(hOwner, kDirectoryErrorText + strPath);
            return FALSE;
        }
    }
    return TRUE;
}

BOOL IsAcceptableTarget(const char* pszDir)
{
    // A drive, then at least one directory (a bare root is no place for the product),
    // in the one form the system gives a path, so its files land where it says.
    if (!IsCanonicalPath(pszDir) || ::lstrlenA(pszDir) + 1 + kLongestExpansionName >= kVersionLibraryPathLimit)
        return FALSE;
    for (CPathWalk walk(pszDir, 3); walk.Next();) {
        if (IsDeviceName(walk.Name(), walk.End()))
            return FALSE;
    }
    return TRUE;
}

} // namespace ops
