#include "set_aside.h"
#include "file_probe.h"
#include <string.h>

namespace ops {
namespace {

// A link's kept data: its attributes and its creation, access and write times, then its bytes.
struct KeptLinkHead {
    DWORD dwAttributes;
    FILETIME ftTimes[3];
};
// Larger than any link the product makes: a larger file at a link's name is not one of them.
const DWORD kLargestLink = 1u << 16;
const DWORD kLargestValue = 4096;
const int kMoveTries = 5;
const DWORD kMoveRetryMs = 200;

// The directory of a path ("C:\dir\name" gives "C:\dir").
CString DirectoryOf(const char* pszPath)
{
    const char* pSeparator = pszPath;
    for (const char* p = pszPath; *p; p = AfxNextChar(p)) {
        if (*p == '\\')
            pSeparator = p;
    }
    return CString(pszPath, (int)(pSeparator - pszPath));
}

// The folder aside goes as soon as it is empty.
void RemoveAsideFolder(const char* pszFile) { sys::_rmdir(DirectoryOf(AsidePath(pszFile))); }

} // namespace

CString AsidePath(const char* pszFile)
{
    const CString strDir = DirectoryOf(pszFile);
    return strDir + "\\" + kAsideFolder + (pszFile + strDir.GetLength());
}

BOOL MoveAside(const char* pszFile)
{
    const CString strAside = AsidePath(pszFile);
    sys::_mkdir(DirectoryOf(strAside));
    for (int nTry = 0; nTry < kMoveTries; ++nTry) {
        if (nTry)
            ::Sleep(kMoveRetryMs);
        if (sys::MoveFileA(pszFile, strAside))
            return TRUE;
    }
    RemoveAsideFolder(pszFile);
    return FALSE;
}

PutBackResult PutBack(const char* pszFile)
{
    // The move itself tells whether anything is aside, and whether something stands
    // in the way: a look beforehand could fail where the move would not.
    const CString strAside = AsidePath(pszFile);
    BOOL bBack = sys::MoveFileA(strAside, pszFile);
    DWORD dwError = ::GetLastError();
    if (!bBack && (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND))
        return kNothingAside;
    if (!bBack && (dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS)) {
        sys::SetFileAttributesA(pszFile, FILE_ATTRIBUTE_NORMAL);
        sys::remove(pszFile);
        bBack = sys::MoveFileA(strAside, pszFile);
    }
    RemoveAsideFolder(pszFile);
    return bBack ? kPutBack : kNotPutBack;
}

BOOL DropAside(const char* pszFile)
{
    const CString strAside = AsidePath(pszFile);
    sys::SetFileAttributesA(strAside, FILE_ATTRIBUTE_NORMAL);
    sys::remove(strAside);
    struct _finddata_t fd;
    const BOOL bGone = !ProbePath(strAside, &fd);
    RemoveAsideFolder(pszFile);
    return bGone;
}

BOOL KeepLink(CRecordFile& record, const char* pszLink)
{
    CFileHandle file(
        sys::CreateFileA(pszLink, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.IsOpen() || !sys::GetFileInformationByHandle(file, &info) || info.nFileSizeHigh ||
        info.nFileSizeLow > kLargestLink)
        return FALSE;
    const DWORD nSize = info.nFileSizeLow;
    CHeapArray<BYTE> pData(new BYTE[sizeof(KeptLinkHead) + nSize]);
    KeptLinkHead head = { info.dwFileAttributes, { info.ftCreationTime, info.ftLastAccessTime, info.ftLastWriteTime } };
    memcpy(pData, &head, sizeof head);
    DWORD nRead;
    if (!sys::ReadFile(file, pData + sizeof head, nSize, &nRead, NULL) || nRead != nSize)
        return FALSE;
    record.Add(CRecordFile::kKeptLink, pszLink, pData, sizeof head + nSize);
    return TRUE;
}

BOOL RestoreLink(const CRecordFile::Entry& entry)
{
    KeptLinkHead head;
    if (entry.nData < sizeof head)
        return FALSE;
    memcpy(&head, entry.pData, sizeof head);
    const DWORD nSize = entry.nData - sizeof head;
    sys::SetFileAttributesA(entry.pszText, FILE_ATTRIBUTE_NORMAL);
    CFileHandle file(
        sys::CreateFileA(entry.pszText, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    DWORD nWritten;
    const BOOL bWritten = file.IsOpen() && sys::WriteFile(file, entry.pData + sizeof head, nSize, &nWritten, NULL) &&
                          nWritten == nSize;
    if (bWritten)
        sys::SetFileTime(file, &head.ftTimes[0], &head.ftTimes[1], &head.ftTimes[2]);
    file.Close();
    sys::SetFileAttributesA(entry.pszText, head.dwAttributes);
    return bWritten;
}

BOOL KeepKeyTree(CRecordFile& record, const CString& strKey)
{
    CRegKey key;
    const LONG lOpened = key.Open(HKEY_LOCAL_MACHINE, strKey, KEY_READ);
    if (lOpened != ERROR_SUCCESS)
        return lOpened == ERROR_FILE_NOT_FOUND;
    record.Add(CRecordFile::kKeptKey, strKey);
    // A value: its type, then its bytes. Names longer than the product writes, or
    // data larger, fail the keeping, and nothing is removed.
    CHeapArray<BYTE> pValue(new BYTE[sizeof(DWORD) + kLargestValue]);
    char szName[MAX_PATH];
    for (DWORD i = 0;; ++i) {
        DWORD nName = MAX_PATH, dwType, nData = kLargestValue;
        const LONG lResult = sys::RegEnumValueA(key, i, szName, &nName, NULL, &dwType, pValue + sizeof dwType, &nData);
        if (lResult == ERROR_NO_MORE_ITEMS)
            break;
        if (lResult != ERROR_SUCCESS)
            return FALSE;
        memcpy(pValue, &dwType, sizeof dwType);
        record.Add(CRecordFile::kKeptValue, szName, pValue, sizeof dwType + nData);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nName = MAX_PATH;
        const LONG lResult = sys::RegEnumKeyExA(key, i, szName, &nName, NULL, NULL, NULL, NULL);
        if (lResult == ERROR_NO_MORE_ITEMS)
            return TRUE;
        if (lResult != ERROR_SUCCESS || !KeepKeyTree(record, strKey + "\\" + szName))
            return FALSE;
    }
}

BOOL RestoreValue(HKEY hKey, const CRecordFile::Entry& entry)
{
    DWORD dwType;
    if (entry.nData < sizeof dwType)
        return FALSE;
    memcpy(&dwType, entry.pData, sizeof dwType);
    return sys::RegSetValueExA(hKey, entry.pszText, 0, dwType, entry.pData + sizeof dwType,
                               entry.nData - sizeof dwType) == ERROR_SUCCESS;
}

} // namespace ops
