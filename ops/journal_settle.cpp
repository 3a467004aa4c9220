// The journal settled: by the run itself when it ends, or by the next run when it was
// cut short. A completed run's files set aside are deleted; any other run's changes
// are undone, what it made first, then what it set aside put back, each phase one
// pass over the journal. Either way twice is as good as once, so a settling cut short
// is simply done again.
#include "journal_place.h"
#include "file_probe.h"
#include "path.h"
#include "registry.h"
#include "shortcuts.h"
#include <string.h>

namespace ops {
namespace {

// The order in which an unfinished run's new files go: links, then the program files
// in the payload table's rollback order, then the rest (the installer's copy).
DWORD RemovalRank(const char* pszName)
{
    if (IsProductLinkName(pszName))
        return 0;
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        if (SameText(pszName, kPayloadTable[nRow].pszFileName))
            return kPayloadTable[nRow].nRollbackOrder;
    }
    return kPayloadFileCount + 1;
}

// Lets this process give a folder back to any owner (SeRestorePrivilege, which an
// administrator holds but has not enabled).
void EnableRestorePrivilege()
{
    HANDLE hToken;
    if (!sys::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &hToken))
        return;
    CHandle token(hToken);
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = 18;  // SE_RESTORE_PRIVILEGE
    privileges.Privileges[0].Luid.HighPart = 0;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    sys::AdjustTokenPrivileges(token, FALSE, &privileges, 0, NULL, NULL);
}

// Writes a kept link back as it was; FALSE when it cannot.
BOOL RestoreLink(const char* pszPath, const BYTE* pData, DWORD nData)
{
    KeptLinkHead head;
    if (nData < sizeof head)
        return FALSE;
    memcpy(&head, pData, sizeof head);
    const DWORD nSize = nData - sizeof head;
    sys::SetFileAttributesA(pszPath, FILE_ATTRIBUTE_NORMAL);
    CFileHandle file(sys::CreateFileA(pszPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    DWORD nWritten;
    const BOOL bWritten =
        file.IsOpen() && sys::WriteFile(file, pData + sizeof head, nSize, &nWritten, NULL) && nWritten == nSize;
    if (bWritten)
        sys::SetFileTime(file, &head.ftTimes[0], &head.ftTimes[1], &head.ftTimes[2]);
    file.Close();
    sys::SetFileAttributesA(pszPath, head.dwAttributes);
    return bWritten;
}

// Opens a kept key (its product key's number, then its class) for its values, making
// it again as it was (its class too) when it is not there; its path into strKey.
// FALSE when it cannot.
BOOL RestoreKey(HKEY hRoot, CRegKey& key, const char* pszSubkey, const BYTE* pData, DWORD nData, CString& strKey)
{
    if (!nData || pData[0] >= ARRAYSIZE(kProductKeys) || pData[nData - 1])
        return FALSE;
    strKey = kProductKeys[pData[0]];
    if (*pszSubkey)
        strKey += CString("\\") + pszSubkey;
    DWORD dwDisposition;
    return key.Create(hRoot, strKey, (const char*)pData + 1, KEY_WRITE, &dwDisposition) == ERROR_SUCCESS;
}

// Sets a kept value (its type, then its bytes) in the key; FALSE when it cannot.
BOOL RestoreValue(HKEY hKey, const char* pszName, const BYTE* pData, DWORD nData)
{
    DWORD dwType;
    if (nData < sizeof dwType)
        return FALSE;
    memcpy(&dwType, pData, sizeof dwType);
    return sys::RegSetValueExA(hKey, pszName, 0, dwType, pData + sizeof dwType, nData - sizeof dwType) == ERROR_SUCCESS;
}

} // namespace

BOOL CJournal::Applies(const Entry& entry, int nOnly) const
{
    return m_apPlaces[entry.nPlace]->bHeld && (nOnly == kNoPlace || entry.nPlace == nOnly);
}

BOOL CJournal::Settle(HWND hOwner, BOOL bReport)
{
    const BOOL bCompleted = Has("C", 0, "");
    const BOOL bSettled = bCompleted ? DropAside() : Undo(kNoPlace, NULL, hOwner, bReport);
    // The folders aside go once empty (a move that never happened left one so).
    for (int n = 0; n < m_nPlaces; ++n) {
        if (m_apPlaces[n]->bHeld && !m_apPlaces[n]->strAside.IsEmpty())
            sys::_rmdir(PathOf(n, m_apPlaces[n]->strAside));
    }
    // A completed run's leftovers are the next run's to try again, and never keep it
    // from running; an unfinished run's are the previous installation itself.
    Close(bSettled);
    return bSettled || bCompleted;
}

void CJournal::UndoOtherSites(int nSite)
{
    for (int n = 0; n < m_nPlaces; ++n) {
        // Perhaps the completed directory under another name: what is there stays.
        if (m_apPlaces[n]->chKind == 'S' && m_apPlaces[n]->bAttempt && KnownApart(n, nSite)) {
            Undo(n, PlacePath(nSite), NULL, FALSE);
            m_apPlaces[n]->bUndone = TRUE;
            Add('U', n, "");
        }
    }
}

BOOL CJournal::Undo(int nOnly, const char* pszKeep, HWND hOwner, BOOL bReport)
{
    BOOL bAll = RemoveNewFiles(nOnly);
    RemoveTemporaries(nOnly);
    RemoveChains(nOnly, pszKeep, hOwner, bReport);
    Entry entry;
    for (DWORD nAt = 0; nOnly == kNoPlace && Next(&nAt, &entry);) {
        if (entry.chKind != 'R')
            continue;
        // Whatever the product's keys hold now is this run's: the previous
        // installation's are in the journal.
        for (int i = 0; i < (int)ARRAYSIZE(kProductKeys); ++i)
            bAll &= DeleteKeyPath(m_scope, kProductKeys[i]);
        if (entry.nData && !entry.pData[0])
            DeleteKeyIfEmpty(m_scope, kMakerKey);
    }
    bAll &= PutBack(nOnly);
    GiveBack(nOnly);
    return bAll;
}

BOOL CJournal::RemoveNewFiles(int nOnly)
{
    // Sorted once: each entry by its rank (high byte), then its place in the journal.
    CHeapArray<DWORD> pOrder(new DWORD[m_nSize / 6 + 1]);
    int nNew = 0;
    Entry entry;
    for (DWORD nAt = 0, nEntry = 0; Next(&nAt, &entry); nEntry = nAt) {
        if (entry.chKind != 'N' || !Applies(entry, nOnly))
            continue;
        const DWORD nKey = RemovalRank(entry.pszName) << 24 | nEntry;
        int i = nNew++;
        for (; i > 0 && pOrder[i - 1] > nKey; --i)
            pOrder[i] = pOrder[i - 1];
        pOrder[i] = nKey;
    }
    BOOL bAll = TRUE;
    for (int i = 0; i < nNew; ++i) {
        DWORD nAt = pOrder[i] & 0xFFFFFF;
        Next(&nAt, &entry);
        const CString strPath = PathOf(entry.nPlace, entry.pszName);
        struct _finddata_t fd;
        if (RemoveFile(strPath))
            Note(kLogRemoved, strPath);
        else
            bAll &= !ProbePath(strPath, &fd);
    }
    return bAll;
}

void CJournal::RemoveTemporaries(int nOnly)
{
    // The extraction's temporaries, and the version library's that were not there when
    // the site was entered: an expansion cut short leaves its own.
    for (int n = 0; n < m_nPlaces; ++n) {
        const Place& place = *m_apPlaces[n];
        if (place.chKind != 'S' || !place.bHeld || (nOnly != kNoPlace && n != nOnly))
            continue;
        sys::remove(PathOf(n, kTempCompressedFile));
        sys::remove(PathOf(n, kTempExpandedFile));
        CStringArray names;
        ListFiles(place.strPath + kVersionTempPattern, names);
        for (int i = 0; i < names.GetSize(); ++i) {
            const CString strPath = PathOf(n, names.GetAt(i));
            if (names.GetAt(i).GetLength() == sizeof kVersionTempName - 1 && !Has("V", n, names.GetAt(i)) &&
                sys::remove(strPath) == 0)
                Note(kLogRemoved, strPath);
        }
    }
}

void CJournal::RemoveChains(int nOnly, const char* pszKeep, HWND hOwner, BOOL bReport)
{
    // The names each place's chain made, deepest first, the last place's first; one
    // that stays keeps those above it, and with bReport a "NOTE" box says so.
    sys::_chdir("\\");  // a directory to remove may be the current one
    CString strStayed;
    for (int n = m_nPlaces - 1; n >= 0; --n) {
        Place& place = *m_apPlaces[n];
        if (!place.nMade || place.bForeign || (nOnly != kNoPlace && n != nOnly))
            continue;
        place.held.Close();
        CString strDir = place.strPath;
        for (int i = 0; i < place.nMade; ++i, strDir = ParentOf(strDir)) {
            if ((pszKeep && LiesBelow(pszKeep, strDir)) || (!strStayed.IsEmpty() && LiesBelow(strStayed, strDir)))
                break;
            if (sys::_rmdir(strDir) == 0) {
                Note(kLogRemoved, strDir);
            } else if (IsDirectory(strDir)) {
                strStayed = strDir;
                if (bReport)
                    AfxShowMessageBox(hOwner, kDirectoryStaysText + strDir, kNoteCaption, MB_ICONINFORMATION, kBoxNotice);
                break;
            }
        }
    }
}

BOOL CJournal::PutBack(int nOnly)
{
    BOOL bAll = TRUE;
    CRegKey key;
    Entry entry;
    for (DWORD nAt = 0; Next(&nAt, &entry);) {
        if (!Applies(entry, nOnly))
            continue;
        CString strPath = PathOf(entry.nPlace, entry.pszName);
        BOOL bBack;
        if (entry.chKind == 'M') {
            // The move itself tells whether anything is aside, and whether something
            // stands in the way: a look beforehand could fail where the move would not.
            const CString& strAside = m_apPlaces[entry.nPlace]->strAside;
            const CString strFrom = PathOf(entry.nPlace, strAside) + "\\" + entry.pszName;
            bBack = !strAside.IsEmpty() && sys::MoveFileA(strFrom, strPath);
            const DWORD dwError = ::GetLastError();
            if (!bBack && (strAside.IsEmpty() || dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND))
                continue;  // it never went, or it is back already
            if (!bBack && (dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS)) {
                RemoveFile(strPath);
                bBack = sys::MoveFileA(strFrom, strPath);
            }
        } else if (entry.chKind == 'B') {
            bBack = RestoreLink(strPath, entry.pData, entry.nData);
        } else if (entry.chKind == 'Y') {
            key.Close();
            bBack = RestoreKey(m_scope.Root(), key, entry.pszName, entry.pData, entry.nData, strPath);
        } else {
            if (entry.chKind == 'W' && key)
                bAll &= RestoreValue(key, entry.pszName, entry.pData, entry.nData);
            continue;
        }
        Note(bBack ? kLogPutBack : kLogNotPutBack, strPath);
        bAll &= bBack;
    }
    return bAll;
}

void CJournal::GiveBack(int nOnly)
{
    // A folder taken over gets back its owner and rights, once what was set aside in it
    // is back.
    DWORD sd[256];
    Entry entry;
    for (DWORD nAt = 0; Next(&nAt, &entry);) {
        if (entry.chKind != 'T' || !Applies(entry, nOnly) || entry.nData > sizeof sd || m_scope.IsCurrentUser())
            continue;  // (a run for the user takes nothing over)
        EnableRestorePrivilege();
        memcpy(sd, entry.pData, entry.nData);
        if (sys::SetFileSecurityA(PlacePath(entry.nPlace), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, sd))
            Note(kLogGivenBack, PlacePath(entry.nPlace));
    }
}

BOOL CJournal::DropAside()
{
    BOOL bAll = TRUE;
    Entry entry;
    for (DWORD nAt = 0; Next(&nAt, &entry);) {
        const Place& place = *m_apPlaces[entry.nPlace];
        if (entry.chKind != 'M' || !Applies(entry, kNoPlace) || place.bUndone || place.strAside.IsEmpty())
            continue;
        const CString strAside = PathOf(entry.nPlace, place.strAside) + "\\" + entry.pszName;
        RemoveFile(strAside);
        struct _finddata_t fd;
        if (ProbePath(strAside, &fd)) {
            Note(kLogNotDeleted, strAside);
            bAll = FALSE;
        }
    }
    return bAll;
}

} // namespace ops
