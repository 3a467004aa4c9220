#include "target_dir.h"
#include "path.h"
#include "report.h"
#include <string.h>

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

// FALSE for a path whose files would not land where it says: a component that ends
// in a space or a dot (so "." and ".." too), a ":" after the drive, a character that
// file names cannot hold (<>"|?*/, control characters), or a path too long for a
// file name of nLongestName characters below it within MAX_PATH - 1 characters.
BOOL IsUsableTargetPath(const char* pszPath, int nLongestName)
{
    if (::lstrlenA(pszPath) + 1 + nLongestName > MAX_PATH - 1)
        return FALSE;
    if (pszPath[0] == '\0' || pszPath[1] != ':')
        return TRUE;  // not a drive path: the directory stage refuses it with the same words
    char chLast = '\\';  // the last character of the component so far ("\\": none)
    for (const char* p = pszPath + 2; ; p = AfxNextChar(p)) {
        const unsigned char ch = (unsigned char)*p;
        if (ch == '\\' || ch == '\0') {
            if (chLast == ' ' || chLast == '.')
                return FALSE;
            if (ch == '\0')
                return TRUE;
            chLast = '\\';
            continue;
        }
        if (ch < 0x20 || ::strchr(":<>\"|?*/", ch))
            return FALSE;
        // A double-byte character ends the component with neither a space nor a dot,
        // whatever its trail byte looks like.
        chLast = AfxNextChar(p) - p == 2 ? 'x' : (char)ch;
    }
}

// The longest file name that the payload puts into the target directory.
int LongestPayloadName()
{
    int nLongest = 0;
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        const int n = ::lstrlenA(kPayloadTable[nRow].pszFileName);
        if (n > nLongest)
            nLongest = n;
    }
    return nLongest;
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


BOOL CreateTargetDirectory(HWND hOwner, const CString& strPath, CStringArray* pCreated, FolderRights rights)
{
    if (!CheckTargetDrive(hOwner, strPath))
        return FALSE;

    // The directory chain, one component at a time, relative to the current directory.
    CString strRest = strPath.Right(strPath.GetLength() - 2) + "\\";
    for (;;) {
        if (strRest.GetLength() > 0 && strRest.GetAt(0) == '\\')
            strRest = strRest.Right(strRest.GetLength() - 1);
        const char* pszRest = strRest;
        const char* pSep = NextSeparator(pszRest);
        if (!*pSep)
            return TRUE;
        const int nSep = (int)(pSep - pszRest);
        CString strComponent = strRest.Left(nSep);
        // Else it was there already.
        const BOOL bMade = rights != kInheritedRights ? MakeOwnFolder(strComponent, rights) : sys::_mkdir(strComponent) == 0;
        if (sys::_chdir(strComponent) != 0) {
            ReportError(hOwner, kDirectoryErrorText + strPath);
            return FALSE;
        }
        if (bMade && pCreated) {
            // As the system names it once entered; else as the path spells it so far.
            char szMade[MAX_PATH];
            const int nSpelt = strPath.GetLength() + 1 - strRest.GetLength() + nSep;
            pCreated->Add(sys::_getcwd(szMade, MAX_PATH) ? CString(szMade) : strPath.Left(nSpelt));
        }
        strRest = strRest.Right(strRest.GetLength() - nSep);
    }
}

BOOL IsAcceptableTarget(const char* pszDir)
{
    // A drive, then at least one directory: a bare root is no place for the product.
    const char chDrive = AfxFoldAscii(pszDir[0]);
    if (chDrive < 'A' || chDrive > 'Z' || pszDir[1] != ':' || pszDir[2] != '\\' || !pszDir[3] ||
        ::lstrlenA(pszDir) + 1 + kLongestExpansionName >= kVersionLibraryPathLimit)
        return FALSE;
    const char* pComponent = pszDir + 3;
    for (const char* p = pComponent;; p = AfxNextChar(p)) {
        if (*p == '\\' || !*p) {
            if (IsDeviceName(pComponent, p))
                return FALSE;
            if (!*p)
                break;
            pComponent = p + 1;
        }
    }
    return IsUsableTargetPath(pszDir, LongestPayloadName());
}

} // namespace ops
