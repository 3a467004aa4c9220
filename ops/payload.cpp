// ExtractPayloadFile: one compressed payload resource becomes one installed file
// in the current directory, with the release time stamp.
#include "installer_dlg.h"
#include "manifest.h"
#include <string.h>

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

// TRUE when pszName is a file (not a directory) of exactly nLength bytes.
BOOL IsFileOfLength(const char* pszName, DWORD nLength)
{
    struct _finddata_t fd;
    intptr_t hFind = sys::_findfirst(pszName, &fd);
    if (hFind == -1)
        return FALSE;
    sys::_findclose(hFind);
    return !(fd.attrib & _A_SUBDIR) && (DWORD)fd.size == nLength;
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

} // namespace

BOOL CInstallerDlg::ExtractPayloadFile(UINT nResourceId, const char* pszFileName)
{
    char szDir[MAX_PATH];
    if (!sys::_getcwd(szDir, MAX_PATH)) {
        ReportError(FALSE, "Can't retrieve current directory");
        return FALSE;
    }

    HMODULE hModule = AfxGetResourceHandle();
    HRSRC hResource = sys::FindResourceA(hModule, MAKEINTRESOURCEA(LOWORD(nResourceId)), kPayloadResourceType);
    HGLOBAL hLoaded = hResource ? sys::LoadResource(hModule, hResource) : NULL;
    if (!hLoaded) {
        ReportError(FALSE, "Setup file appears to be corrupted!");
        return FALSE;
    }
    DWORD nSize = sys::SizeofResource(hModule, hResource);
    const BYTE* pData = (const BYTE*)sys::LockResource(hLoaded);
    if (!pData || nSize == 0) {
        ReportError(FALSE, "Setup file is corrupted!");
        return FALSE;
    }

    FILE* pFile = sys::fopen(kTempCompressedFile, "wb");
    if (!pFile) {
        ReportError(FALSE, "Can't overwrite temporary file \"MR.MSZ\"");
        return FALSE;
    }
    if (sys::fwrite(pData, 1, nSize, pFile) < nSize) {
        sys::fclose(pFile);
        ReportError(FALSE, "Insufficient space, or disk error");
        return FALSE;
    }
    sys::fclose(pFile);

    // Expand. A "MR.XXX" left by an interrupted run must never pass for the new file,
    // and the expansion only counts when it gives exactly the length in the header.
    RemoveFile(kTempExpandedFile);
    char szTempName[MAX_PATH];
    memset(szTempName, 0, sizeof szTempName);
    UINT nTempName = MAX_PATH;
    CString strTempFilesBefore = VersionTempFiles();
    BOOL bExpanded = sys::VerInstallFileA(VIFF_FORCEINSTALL, kTempCompressedFile, kTempExpandedFile, szDir,
                                          szDir, szDir, szTempName, &nTempName) == 0;
    if (!bExpanded)
        RemoveNewVersionTempFiles(strTempFilesBefore);
    DWORD nExpectedLength;
    if (bExpanded)
        bExpanded = ExpandedLength(pData, nSize, &nExpectedLength) &&
                    IsFileOfLength(kTempExpandedFile, nExpectedLength);
    if (!bExpanded) {
        ReportError(FALSE, CString("Can't expand installation file ") + pszFileName);
        RemoveFile(kTempExpandedFile);
    }
    RemoveFile(kTempCompressedFile);

    // The old file gives way only to a freshly expanded one.
    if (!bExpanded) {
        ReportError(FALSE, CString("Can't rename installation file ") + pszFileName);
        return FALSE;
    }
    sys::SetFileAttributesA(pszFileName, FILE_ATTRIBUTE_NORMAL);
    sys::remove(pszFileName);
    if (sys::rename(kTempExpandedFile, pszFileName) != 0) {
        ReportError(FALSE, CString("Can't rename installation file ") + pszFileName);
        RemoveFile(kTempExpandedFile);  // nothing of a failed file stays behind
        return FALSE;
    }

    // The file is in place; the time stamp is a courtesy.
    HANDLE hFile = sys::CreateFileA(pszFileName, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return TRUE;
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
    // A conversion that fails leaves no time to set: the stamp is skipped rather
    // than set from whatever the structure held.
    if (sys::SystemTimeToFileTime(&stRelease, &ftLocal) && sys::LocalFileTimeToFileTime(&ftLocal, &ftUtc))
        sys::SetFileTime(hFile, &ftUtc, &ftUtc, &ftUtc);
    sys::CloseHandle(hFile);
    return TRUE;
}
