#include "set_aside.h"
#include "file_probe.h"
#include "own_folder.h"
#include "path.h"
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

// "MR.OLD", or "MR.OLD" and one digit: the names a folder aside is given.
BOOL IsAsideName(const char* pszName)
{
    const int n = ::lstrlenA(pszName);
    return AfxSameTextNoCase(pszName, kAsideFolder, sizeof kAsideFolder - 1) &&
           (n == sizeof kAsideFolder - 1 || (n == sizeof kAsideFolder && pszName[n - 1] >= '1' && pszName[n - 1] <= '9'));
}

// Whether files may move out of the folder aside, as PutBack answers before it moves.
PutBackResult AsideReach(const CString& strAside)
{
    const Reach reach = strAside.IsEmpty() ? kNotThere : ReachOf(ParentOf(strAside));
    return reach == kReached     ? kPutBack
           : reach == kNotThere  ? kNothingAside
           : reach == kBehindLink ? kLeftBehindLink
                                  : kNotPutBack;
}

// The folder aside goes as soon as it is empty.
void RemoveAsideFolder(const CString& strAside) { sys::_rmdir(ParentOf(strAside)); }

} // namespace

BOOL RecordSetAside(CRecordFile& record, const char* pszFile)
{
    const CString strDir = ParentOf(pszFile);
    if (!record.Has(CRecordFile::kMadeAside, strDir)) {
        char szName[sizeof kAsideFolder + 1] = {};
        ::lstrcpyA(szName, kAsideFolder);
        if (ReachOf(strDir) != kReached)
            return FALSE;
        for (char chTry = '0';; ++chTry) {
            if (chTry > '9')
                return FALSE;
            if (sys::GetFileAttributesA(strDir + "\\" + szName) == INVALID_FILE_ATTRIBUTES)
                break;  // made once the record is on the disk, by the first move
            szName[sizeof kAsideFolder - 1] = (char)(chTry + 1);
        }
        record.Add(CRecordFile::kMadeAside, strDir, szName, ::lstrlenA(szName) + 1);
    }
    record.Add(CRecordFile::kSetAside, pszFile);
    return TRUE;
}

BOOL RecordReplacing(CRecordFile& record, const char* pszFile, BOOL* pbAside)
{
    *pbAside = FALSE;
    if (record.Has(CRecordFile::kNewFile, pszFile) || record.Has(CRecordFile::kSetAside, pszFile))
        return TRUE;
    struct _finddata_t fd;
    if (!ProbePath(pszFile, &fd)) {
        record.Add(CRecordFile::kNewFile, pszFile);
        return TRUE;
    }
    if (fd.attrib & _A_SUBDIR)
        return TRUE;
    *pbAside = TRUE;
    return RecordSetAside(record, pszFile);
}

CString AsideFolder(const CRecordFile& record, const char* pszDir)
{
    CRecordFile::Entry entry;
    if (!record.Find(CRecordFile::kMadeAside, pszDir, &entry) || !entry.nData || entry.pData[entry.nData - 1] ||
        !IsAsideName((const char*)entry.pData))
        return CString();
    return CString(pszDir) + "\\" + (const char*)entry.pData;
}

CString AsidePath(const CRecordFile& record, const char* pszFile)
{
    const CString strFolder = AsideFolder(record, ParentOf(pszFile));
    return strFolder.IsEmpty() ? strFolder : strFolder + "\\" + NameOf(pszFile);
}

BOOL MoveAside(const CRecordFile& record, const char* pszFile)
{
    // The folder aside is made by this run, with its own rights, and is no link.
    const CString strAside = AsidePath(record, pszFile);
    if (strAside.IsEmpty())
        return FALSE;
    const CString strFolder = ParentOf(strAside);
    if (!IsTrustedFolder(strFolder))
        MakeOwnFolder(strFolder, record.Scope().OwnRights());
    if (!IsTrustedFolder(strFolder) || ReachOf(strFolder) != kReached)
        return FALSE;
    for (int nTry = 0; nTry < kMoveTries; ++nTry) {
        if (nTry)
            ::Sleep(kMoveRetryMs);
        if (sys::MoveFileA(pszFile, strAside))
            return TRUE;
    }
    return FALSE;
}

PutBackResult PutBack(const CRecordFile& record, const char* pszFile)
{
    // The move itself tells whether anything is aside, and whether something stands
    // in the way: a look beforehand could fail where the move would not.
    const CString strAside = AsidePath(record, pszFile);
    const PutBackResult reach = AsideReach(strAside);
    if (reach != kPutBack)
        return reach;
    BOOL bBack = sys::MoveFileA(strAside, pszFile);
    DWORD dwError = ::GetLastError();
    if (!bBack && (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND))
        return kNothingAside;
    if (!bBack && (dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS)) {
        sys::SetFileAttributesA(pszFile, FILE_ATTRIBUTE_NORMAL);
        sys::remove(pszFile);
        bBack = sys::MoveFileA(strAside, pszFile);
    }
    RemoveAsideFolder(strAside);
    return bBack ? kPutBack : kNotPutBack;
}

BOOL DropAside(const CRecordFile& record, const char* pszFile)
{
    const CString strAside = AsidePath(record, pszFile);
    const PutBackResult reach = AsideReach(strAside);
    if (reach != kPutBack)
        return reach != kNotPutBack;
    sys::SetFileAttributesA(strAside, FILE_ATTRIBUTE_NORMAL);
    sys::remove(strAside);
    struct _finddata_t fd;
    const BOOL bGone = !ProbePath(strAside, &fd);
    RemoveAsideFolder(strAside);
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
    const LONG lOpened = key.Open(record.Scope().Root(), strKey, KEY_READ);
    if (lOpened != ERROR_SUCCESS)
        return lOpened == ERROR_FILE_NOT_FOUND;
    // Its class (a key made without one has none), then its values: each its type,
    // then its bytes. Names longer than the product writes, or data larger, fail the
    // keeping, and nothing is removed.
    char szName[MAX_PATH];
    DWORD nName = MAX_PATH;
    if (sys::RegQueryInfoKeyA(key, szName, &nName, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL) !=
        ERROR_SUCCESS)
        return FALSE;
    record.Add(CRecordFile::kKeptKey, strKey, szName, nName + 1);
    CHeapArray<BYTE> pValue(new BYTE[sizeof(DWORD) + kLargestValue]);
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

BOOL RestoreKey(const CScope& scope, CRegKey& key, const CRecordFile::Entry& entry)
{
    // A key kept before its class was is made without one.
    const char* pszClass = entry.nData && !entry.pData[entry.nData - 1] ? (const char*)entry.pData : "";
    DWORD dwDisposition;
    return key.Create(scope.Root(), entry.pszText, pszClass, KEY_WRITE, &dwDisposition) == ERROR_SUCCESS;
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
