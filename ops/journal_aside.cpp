// What a run writes over or removes is set aside, not deleted, until the run has
// completed: files are moved into a folder aside in their own place (the same volume,
// so contents, times and attributes stay as they are); links and the product's keys
// are kept in the journal as their bytes and values.
#include "journal_place.h"
#include "file_probe.h"
#include "path.h"
#include "shortcuts.h"
#include <string.h>

namespace ops {
namespace {

// Larger than any link the product makes: a larger file at a link's name is not one of them.
const DWORD kLargestLink = 1u << 16;
const DWORD kLargestValue = 4096;
const int kMoveTries = 5;
const DWORD kMoveRetryMs = 200;

} // namespace

BOOL CJournal::WillWrite(int nPlace, const char* pszName, BOOL* pbAside)
{
    *pbAside = FALSE;
    if (Has("NMB", nPlace, pszName))
        return TRUE;  // the run's own, or kept already
    struct _finddata_t fd;
    if (!ProbePath(PathOf(nPlace, pszName), &fd)) {
        Add('N', nPlace, pszName);
        return TRUE;
    }
    if (fd.attrib & _A_SUBDIR)
        return TRUE;
    if (m_apPlaces[nPlace]->chKind == 'L')
        return KeepLink(nPlace, pszName);
    *pbAside = TRUE;
    WillSetAside(nPlace, pszName);
    return TRUE;
}

void CJournal::WillSetAside(int nPlace, const char* pszName)
{
    // The first of the names that is not there, without end: once the place is held
    // (and taken over) nobody else can add one.
    Place& place = *m_apPlaces[nPlace];
    for (int n = 0; place.strAside.IsEmpty(); ++n) {
        CString strName = kAsideFolder;
        if (n)
            strName.Format("%s%d", kAsideFolder, n);
        if (sys::GetFileAttributesA(PathOf(nPlace, strName)) == INVALID_FILE_ATTRIBUTES) {
            place.strAside = strName;
            Add('A', nPlace, strName);
        }
    }
    Add('M', nPlace, pszName);
}

BOOL CJournal::MoveAside(int nPlace, const char* pszName)
{
    // The folder aside is made by this run, with its own rights, and is no link.
    const CString strFolder = PathOf(nPlace, m_apPlaces[nPlace]->strAside);
    MakeOwnFolder(strFolder, m_scope.OwnRights());
    const DWORD dwAttributes = sys::GetFileAttributesA(strFolder);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return FALSE;
    for (int nTry = 0; nTry < kMoveTries; ++nTry) {
        if (nTry)
            ::Sleep(kMoveRetryMs);
        if (sys::MoveFileA(PathOf(nPlace, pszName), strFolder + "\\" + pszName))
            return TRUE;
    }
    return FALSE;
}

BOOL CJournal::KeepLink(int nPlace, const char* pszName)
{
    CFileHandle file(sys::CreateFileA(PathOf(nPlace, pszName), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, NULL));
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
    Add('B', nPlace, pszName, pData, sizeof head + nSize);
    return TRUE;
}

BOOL CJournal::KeepProductLinks(UINT nRows, CStringArray& kept)
{
    // The user's own folders are not the machine's to take links from while the user
    // has an installation of their own there.
    const BOOL bUserInstalled = !m_scope.IsCurrentUser() && CScope(CScope::kUser).HasInstallation();
    for (int nLink = bUserInstalled ? CScope::kAllUsersDesktop : 0; nLink < m_scope.LinkFolders(); ++nLink) {
        const int nPlace = EnterLinkFolder(nLink, FALSE);
        for (int i = 0; i < kShortcutCount && nPlace != kNoPlace; ++i) {
            const CString strName = LinkName(i);
            struct _finddata_t fd;
            // A folder is nobody's link.
            if (!(nRows >> i & 1u) || kShortcutTable[i].bDesktop == (nLink & 1) || Has("NMB", nPlace, strName) ||
                !ProbePath(PathOf(nPlace, strName), &fd) || (fd.attrib & _A_SUBDIR))
                continue;
            if (!KeepLink(nPlace, strName))
                return FALSE;
            kept.Add(PathOf(nPlace, strName));
        }
    }
    return TRUE;
}

BOOL CJournal::KeepKeyTree(int nKey, const CString& strSubkey)
{
    const CString strKey = strSubkey.IsEmpty() ? CString(kProductKeys[nKey]) : kProductKeys[nKey] + ("\\" + strSubkey);
    CRegKey key;
    const LONG lOpened = key.Open(m_scope.Root(), strKey, KEY_READ);
    if (lOpened != ERROR_SUCCESS)
        return lOpened == ERROR_FILE_NOT_FOUND;
    // The product key's number and the key's class (a key made without one has none),
    // then its values: each its type, then its bytes. Names longer than the product
    // writes, or data larger, fail the keeping, and nothing is removed.
    const int nRoot = Enter('K', 0, CString(), FALSE);
    char szName[1 + MAX_PATH];
    DWORD nName = MAX_PATH;
    if (sys::RegQueryInfoKeyA(key, szName + 1, &nName, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL) !=
        ERROR_SUCCESS)
        return FALSE;
    szName[0] = (char)nKey;
    Add('Y', nRoot, strSubkey, szName, nName + 2);
    CHeapArray<BYTE> pValue(new BYTE[sizeof(DWORD) + kLargestValue]);
    for (DWORD i = 0;; ++i) {
        DWORD nValueName = MAX_PATH, dwType, nData = kLargestValue;
        const LONG lResult =
            sys::RegEnumValueA(key, i, szName, &nValueName, NULL, &dwType, pValue + sizeof dwType, &nData);
        if (lResult == ERROR_NO_MORE_ITEMS)
            break;
        if (lResult != ERROR_SUCCESS)
            return FALSE;
        memcpy(pValue, &dwType, sizeof dwType);
        Add('W', nRoot, szName, pValue, sizeof dwType + nData);
    }
    for (DWORD i = 0;; ++i) {
        nName = MAX_PATH;
        const LONG lResult = sys::RegEnumKeyExA(key, i, szName, &nName, NULL, NULL, NULL, NULL);
        if (lResult == ERROR_NO_MORE_ITEMS)
            return TRUE;
        if (lResult != ERROR_SUCCESS || !KeepKeyTree(nKey, strSubkey.IsEmpty() ? CString(szName) : strSubkey + "\\" + szName))
            return FALSE;
    }
}

BOOL CJournal::KeepProductKeys()
{
    for (int i = 0; i < (int)ARRAYSIZE(kProductKeys); ++i) {
        if (!KeepKeyTree(i, CString()))
            return FALSE;
    }
    return TRUE;
}

BOOL CJournal::WillWriteProductKeys()
{
    const int nRoot = Enter('K', 0, CString(), FALSE);
    if (Has("R", nRoot, ""))
        return TRUE;
    const BOOL bKept = KeepProductKeys();
    CRegKey maker;
    const BYTE bMakerThere = maker.Open(m_scope.Root(), kMakerKey, KEY_READ) == ERROR_SUCCESS;
    Add('R', nRoot, "", &bMakerThere, 1);
    return bKept;
}

} // namespace ops
