// ExtractPayloadFile: resource, temporary compressed file, expansion, final name,
// time stamp. Every name is relative to the current directory.
#include "payload.h"
#include "report.h"
#include <string.h>

namespace ops {
namespace {

// The compressed file's header: signature, mode, last name character, expanded length.
const BYTE kSzddSignature[8] = { 0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33 };
const DWORD kSzddHeaderSize = 14;

// The expanded length that the header promises; FALSE when there is no header.
BOOL ExpandedLength(const BYTE* pData, DWORD nSize, DWORD* pnLength)
{
    if (nSize < kSzddHeaderSize || memcmp(pData, kSzddSignature, sizeof kSzddSignature) != 0)
        return FALSE;
    *pnLength = (DWORD)pData[10] | ((DWORD)pData[11] << 8) | ((DWORD)pData[12] << 16) | ((DWORD)pData[13] << 24);
    return TRUE;
}

// The length of the file pszName; FALSE when there is no such file (a directory is none).
BOOL FileLength(const char* pszName, DWORD* pnLength)
{
    struct _finddata_t fd;
    intptr_t hFind = sys::_findfirst(pszName, &fd);
    if (hFind == -1)
        return FALSE;
    sys::_findclose(hFind);
    *pnLength = (DWORD)fd.size;
    return !(fd.attrib & _A_SUBDIR);
}

// TRUE when pszName is a file (not a directory) of exactly nLength bytes.
BOOL IsFileOfLength(const char* pszName, DWORD nLength)
{
    DWORD nFound;
    return FileLength(pszName, &nFound) && nFound == nLength;
}

// Removes a file, read-only or not; the outcome is not needed.
void RemoveFile(const char* pszName)
{
    sys::SetFileAttributesA(pszName, FILE_ATTRIBUTE_NORMAL);
    sys::remove(pszName);
}

// The version library expands through a temporary file of its own ("ver*.tmp") in
// the destination directory and may leave it behind when it fails. The names of
// such files in the current directory, each between '|' characters.
const char kVersionTempPattern[] = "ver*.tmp";

CString VersionTempFiles()
{
    CString strNames("|");
    struct _finddata_t fd;
    intptr_t hFind = sys::_findfirst(kVersionTempPattern, &fd);
    if (hFind == -1)
        return strNames;
    do {
        if (!(fd.attrib & _A_SUBDIR))
            strNames += CString(fd.name) + "|";
    } while (sys::_findnext(hFind, &fd) == 0);
    sys::_findclose(hFind);
    return strNames;
}

// Removes the library's temporary files that were not there before the call.
void RemoveNewVersionTempFiles(const CString& strBefore)
{
    CString strAfter = VersionTempFiles();
    for (int nStart = 1; nStart < strAfter.GetLength();) {
        CString strRest = strAfter.Right(strAfter.GetLength() - nStart);
        int nLength = strRest.Find('|');
        CString strName = strRest.Left(nLength);
        if (strBefore.Find("|" + strName + "|") < 0)
            RemoveFile(strName);
        nStart += nLength + 1;
    }
}

// The compressed resource; reports and gives FALSE when the module lacks it.
BOOL LoadPayload(HWND hOwner, UINT nResourceId, const BYTE** ppData, DWORD* pnSize)
{
    HMODULE hModule = AfxGetResourceHandle();
    HRSRC hResource = sys::FindResourceA(hModule, MAKEINTRESOURCEA(LOWORD(nResourceId)), kPayloadResourceType);
    HGLOBAL hLoaded = hResource ? sys::LoadResource(hModule, hResource) : NULL;
    if (!hLoaded) {
        ReportError(hOwner, "Setup file appears to be corrupted!");
        return FALSE;
    }
    *pnSize = sys::SizeofResource(hModule, hResource);
    *ppData = (const BYTE*)sys::LockResource(hLoaded);
    if (!*ppData || *pnSize == 0) {
        ReportError(hOwner, "Setup file is corrupted!");
        return FALSE;
    }
    return TRUE;
}

// The resource as "MR.MSZ"; reports and gives FALSE when it cannot be written whole.
BOOL WriteCompressedFile(HWND hOwner, const BYTE* pData, DWORD nSize)
{
    FILE* pFile = sys::fopen(kTempCompressedFile, "wb");
    if (!pFile) {
        ReportError(hOwner, "Can't overwrite temporary file \"MR.MSZ\"");
        return FALSE;
    }
    const BOOL bWritten = sys::fwrite(pData, 1, nSize, pFile) >= nSize;
    sys::fclose(pFile);
    if (!bWritten)
        ReportError(hOwner, "Insufficient space, or disk error");
    return bWritten;
}

// Expands "MR.MSZ" in szDir into "MR.XXX". A "MR.XXX" left by an interrupted run
// must never pass for the new file, and the expansion only counts when it gives
// exactly the length that the compressed header promises.
BOOL ExpandCompressedFile(const char* pszDir, const BYTE* pData, DWORD nSize)
{
    RemoveFile(kTempExpandedFile);
    char szTempName[MAX_PATH];
    memset(szTempName, 0, sizeof szTempName);
    UINT nTempName = MAX_PATH;
    const CString strTempFilesBefore = VersionTempFiles();
    if (sys::VerInstallFileA(VIFF_FORCEINSTALL, kTempCompressedFile, kTempExpandedFile, pszDir, pszDir, pszDir,
                             szTempName, &nTempName) != 0) {
        RemoveNewVersionTempFiles(strTempFilesBefore);
        return FALSE;
    }
    DWORD nExpectedLength;
    return ExpandedLength(pData, nSize, &nExpectedLength) && IsFileOfLength(kTempExpandedFile, nExpectedLength);
}

// Gives the installed file the release time stamp, as local time. A courtesy: the
// file is in place whatever happens here, and a time that cannot be converted is
// not set at all rather than set from whatever the structure held.
void StampReleaseTime(const char* pszFileName)
{
    HANDLE hFile = sys::CreateFileA(pszFileName, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    SYSTEMTIME stRelease;
    ::GetLocalTime(&stRelease);
    stRelease.wYear = kReleaseYear;
    stRelease.wMonth = kReleaseMonth;
    stRelease.wDay = kReleaseDay;
    stRelease.wHour = kReleaseHour;
    stRelease.wMinute = kReleaseMinute;
    stRelease.wSecond = kReleaseSecond;
    stRelease.wMilliseconds = kReleaseMilliseconds;
    FILETIME ftLocal, ftUtc;
    if (sys::SystemTimeToFileTime(&stRelease, &ftLocal) && sys::LocalFileTimeToFileTime(&ftLocal, &ftUtc))
        sys::SetFileTime(hFile, &ftUtc, &ftUtc, &ftUtc);
    sys::CloseHandle(hFile);
}

} // namespace

BOOL ExtractPayloadFile(HWND hOwner, UINT nResourceId, const char* pszFileName)
{
    char szDir[MAX_PATH];
    if (!sys::_getcwd(szDir, MAX_PATH)) {
        ReportError(hOwner, "Can't retrieve current directory");
        return FALSE;
    }
    const BYTE* pData;
    DWORD nSize;
    if (!LoadPayload(hOwner, nResourceId, &pData, &nSize) || !WriteCompressedFile(hOwner, pData, nSize))
        return FALSE;

    const BOOL bExpanded = ExpandCompressedFile(szDir, pData, nSize);
    if (!bExpanded) {
        ReportError(hOwner, CString("Can't expand installation file ") + pszFileName);
        RemoveFile(kTempExpandedFile);
    }
    RemoveFile(kTempCompressedFile);
    if (!bExpanded) {
        // The old file stays: it gives way only to a freshly expanded one.
        ReportError(hOwner, CString("Can't rename installation file ") + pszFileName);
        return FALSE;
    }

    RemoveFile(pszFileName);
    if (sys::rename(kTempExpandedFile, pszFileName) != 0) {
        ReportError(hOwner, CString("Can't rename installation file ") + pszFileName);
        RemoveFile(kTempExpandedFile);  // nothing of a failed file stays behind
        return FALSE;
    }
    StampReleaseTime(pszFileName);
    return TRUE;
}

DWORD InstalledPayloadKb(const CString& strDir)
{
    DWORD nBytes = 0;
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        DWORD nLength;
        if (FileLength(strDir + "\\" + kPayloadTable[nRow].pszFileName, &nLength))
            nBytes += nLength;
    }
    return (nBytes + 1023) / 1024;
}

} // namespace ops
