// The steps of one file: resource, temporary compressed file, expansion, final name,
// time stamp. Every name is relative to the current directory.
#include "payload.h"
#include "file_probe.h"
#include "report.h"
#include "resource_check.h"
#include "szdd_header.h"
#include <string.h>

namespace ops {
namespace {

// The expanded length that the compressed data's header promises; FALSE when it has none.
BOOL ExpandedLength(const BYTE* pData, DWORD nSize, DWORD* pnLength)
{
    szdd::RawHeader header;
    if (szdd::ReadHeader(pData, nSize, header) != szdd::HeaderRead::Read)
        return FALSE;
    *pnLength = header.expanded_length;
    return TRUE;
}

// TRUE when pszName is a file (not a directory) of exactly nLength bytes.
BOOL IsFileOfLength(const char* pszName, DWORD nLength)
{
    DWORD nFound;
    return FileLength(pszName, &nFound) && nFound == nLength;
}

// The version library expands through a temporary file of its own ("ver*.tmp") in
// the destination directory and may leave it behind when it fails.
const char kVersionTempPattern[] = "ver*.tmp";

// Removes the library's temporary files that were not there before the call.
void RemoveNewVersionTempFiles(const CStringArray& before)
{
    CStringArray after;
    ListFiles(kVersionTempPattern, after);
    for (int i = 0; i < after.GetSize(); ++i) {
        BOOL bOld = FALSE;
        for (int j = 0; j < before.GetSize() && !bOld; ++j)
            bOld = after.GetAt(i) == before.GetAt(j);
        if (!bOld)
            RemoveFile(after.GetAt(i));
    }
}

// The compressed resource; reports and gives FALSE when the module lacks it.
BOOL LoadPayload(HWND hOwner, UINT nResourceId, const BYTE** ppData, DWORD* pnSize)
{
    HMODULE hModule = AfxGetResourceHandle();
    HRSRC hResource = sys::FindResourceA(hModule, MAKEINTRESOURCEA(LOWORD(nResourceId)), kPayloadResourceType);
    HGLOBAL hLoaded = hResource ? sys::LoadResource(hModule, hResource) : NULL;
    if (!hLoaded) {
        ReportError(hOwner, kResourceMissingText);
        return FALSE;
    }
    *pnSize = sys::SizeofResource(hModule, hResource);
    *ppData = (const BYTE*)sys::LockResource(hLoaded);
    if (!*ppData || *pnSize == 0) {
        ReportError(hOwner, kResourceCorruptText);
        return FALSE;
    }
    return TRUE;
}

// The resource as a new "MR.MSZ", what had that name removed first: nothing planted
// there (a link to a file elsewhere) is written through. Reports and gives FALSE when it
// cannot be made or written whole.
BOOL WriteCompressedFile(HWND hOwner, const BYTE* pData, DWORD nSize)
{
    RemoveFile(kTempCompressedFile);
    CFileHandle file(sys::CreateFileA(kTempCompressedFile, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      NULL));
    if (!file.IsOpen()) {
        ReportError(hOwner, kTempFileText);
        return FALSE;
    }
    DWORD nWritten;
    const BOOL bWritten = sys::WriteFile(file, pData, nSize, &nWritten, NULL) && nWritten == nSize;
    if (!bWritten)
        ReportError(hOwner, kWriteErrorText);
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
    CStringArray tempFilesBefore;
    ListFiles(kVersionTempPattern, tempFilesBefore);
    if (sys::VerInstallFileA(VIFF_FORCEINSTALL, kTempCompressedFile, kTempExpandedFile, pszDir, pszDir, pszDir,
                             szTempName, &nTempName) != 0) {
        RemoveNewVersionTempFiles(tempFilesBefore);
        return FALSE;
    }
    DWORD nExpectedLength;
    return ExpandedLength(pData, nSize, &nExpectedLength) && IsFileOfLength(kTempExpandedFile, nExpectedLength);
}

// The release time stamp, a local time, as the file system keeps it; FALSE when it
// cannot be converted.
BOOL ReleaseTime(FILETIME* pftUtc)
{
    SYSTEMTIME stRelease;
    ::GetLocalTime(&stRelease);
    stRelease.wYear = kReleaseYear;
    stRelease.wMonth = kReleaseMonth;
    stRelease.wDay = kReleaseDay;
    stRelease.wHour = kReleaseHour;
    stRelease.wMinute = kReleaseMinute;
    stRelease.wSecond = kReleaseSecond;
    stRelease.wMilliseconds = kReleaseMilliseconds;
    FILETIME ftLocal;
    return sys::SystemTimeToFileTime(&stRelease, &ftLocal) && sys::LocalFileTimeToFileTime(&ftLocal, pftUtc);
}

// Gives the installed file the release time stamp. A courtesy: the file is in place
// whatever happens here, and a time that cannot be converted is not set at all
// rather than set from whatever the structure held.
void StampReleaseTime(const char* pszFileName)
{
    CFileHandle file(sys::CreateFileA(pszFileName, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, NULL));
    FILETIME ftUtc;
    if (file.IsOpen() && ReleaseTime(&ftUtc))
        sys::SetFileTime(file, &ftUtc, &ftUtc, &ftUtc);
}

} // namespace

BOOL ExtractPayloadFile(HWND hOwner, UINT nResourceId, const char* pszFileName)
{
    char szDir[MAX_PATH];
    if (!sys::_getcwd(szDir, MAX_PATH)) {
        ReportError(hOwner, kNoCurrentDirText);
        return FALSE;
    }
    const BYTE* pData;
    DWORD nSize;
    if (!LoadPayload(hOwner, nResourceId, &pData, &nSize) || !WriteCompressedFile(hOwner, pData, nSize))
        return FALSE;

    const BOOL bExpanded = ExpandCompressedFile(szDir, pData, nSize);
    if (!bExpanded) {
        ReportError(hOwner, CString(kExpandErrorText) + pszFileName);
        RemoveFile(kTempExpandedFile);
    }
    RemoveFile(kTempCompressedFile);
    if (!bExpanded) {
        // The old file stays: it gives way only to a freshly expanded one.
        ReportError(hOwner, CString(kRenameErrorText) + pszFileName);
        return FALSE;
    }

    RemoveFile(pszFileName);
    if (sys::rename(kTempExpandedFile, pszFileName) != 0) {
        ReportError(hOwner, CString(kRenameErrorText) + pszFileName);
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

BOOL IsAsInstalled(const char* pszPath, int nRow)
{
    const BYTE* pData;
    DWORD nSize, nLength;
    FILETIME ftRelease;
    BY_HANDLE_FILE_INFORMATION info;
    CFileHandle file(sys::CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | AfxShareDelete(), NULL,
                                      OPEN_EXISTING, 0, NULL));
    return LoadCheckedResource(kPayloadTable[nRow].nResourceId, &pData, &nSize) != kResourceMissing &&
           ExpandedLength(pData, nSize, &nLength) && ReleaseTime(&ftRelease) && file.IsOpen() &&
           sys::GetFileInformationByHandle(file, &info) && !info.nFileSizeHigh && info.nFileSizeLow == nLength &&
           info.ftLastWriteTime.dwLowDateTime == ftRelease.dwLowDateTime &&
           info.ftLastWriteTime.dwHighDateTime == ftRelease.dwHighDateTime;
}

} // namespace ops
