// The journal's places: each made canonical and checked once, when the run enters it
// (or the next run reads it back), and held while the run works in it.
#include "journal_place.h"
#include "file_probe.h"
#include "path.h"
#include "shell_folders.h"
#include "target_dir.h"
#include <string.h>

namespace ops {
namespace {

// Larger than the owner and DACL of any folder the run looks at.
const DWORD kSecurityBytes = 1024;

void CopySid(BYTE* pTo, const BYTE* pSid) { memcpy(pTo, pSid, 8 + 4 * (pSid[1] > 15 ? 15 : pSid[1])); }

// The owners that the run's own folders get, besides Administrators and SYSTEM: the
// token's default owner (an elevated administrator's is Administrators), and the
// Windows directory's owner (Wine gives every file, that directory's too, the Wine
// user, whatever the token's default owner is).
void FindOwners(BYTE* pOwners)
{
    union {
        TOKEN_OWNER owner;
        BYTE bytes[sizeof(TOKEN_OWNER) + SECURITY_MAX_SID_SIZE];
    } info;
    if (ProcessTokenInformation(TokenOwner, &info, sizeof info))
        CopySid(pOwners, (const BYTE*)info.owner.Owner);
    char szWindows[MAX_PATH];
    BYTE sd[kSecurityBytes];
    DWORD n, nOwner;
    if (!sys::GetWindowsDirectoryA(szWindows, MAX_PATH))
        return;
    CFileHandle windows(OpenInPlace(szWindows, READ_CONTROL, FILE_FLAG_BACKUP_SEMANTICS));
    if (windows.IsOpen() && sys::GetKernelObjectSecurity(windows, OWNER_SECURITY_INFORMATION, sd, sizeof sd, &n) &&
        (memcpy(&nOwner, sd + 4, 4), nOwner) && nOwner <= sizeof sd - SECURITY_MAX_SID_SIZE)
        CopySid(pOwners + SECURITY_MAX_SID_SIZE, sd + nOwner);
}

// Makes the last nMade names of the path, the topmost first.
void MakeFolders(const CString& strPath, int nMade)
{
    if (nMade > 0) {
        MakeFolders(ParentOf(strPath), nMade - 1);
        MakeOwnFolder(strPath, kInheritedRights);
    }
}

} // namespace

BOOL KeepsSecurity() { return !AfxIsWindows9x(); }

HANDLE OpenInPlace(const char* pszPath, DWORD dwAccess, DWORD dwFlags)
{
    return sys::CreateFileA(pszPath, dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                            dwFlags | AfxOpenReparsePoint(), NULL);
}

BOOL CJournal::IsHeld(int nPlace) const { return m_apPlaces[nPlace]->bHeld; }

const CString& CJournal::PlacePath(int nPlace) const { return m_apPlaces[nPlace]->strPath; }

CString CJournal::PathOf(int nPlace, const char* pszName) const { return PlacePath(nPlace) + "\\" + pszName; }

int CJournal::EnterJournalFolder(int nFolder) { return Enter('F', nFolder, m_scope.JournalFolder(nFolder), FALSE); }

int CJournal::EnterSite(const char* pszDir, BOOL bMakeChain) { return Enter('S', 0, pszDir, bMakeChain); }

int CJournal::EnterLinkFolder(int nLink, BOOL bMakeChain)
{
    nLink &= m_scope.LinkFolders() - 1;  // a run for the user has no all users' folders: the user's own
    return Enter('L', nLink, m_scope.LinkFolder(nLink), bMakeChain);
}

int CJournal::Enter(char chKind, int nWhich, const CString& strPath, BOOL bMakeChain)
{
    for (int i = 0; i < m_nPlaces; ++i) {
        if (m_apPlaces[i]->chKind == chKind && SameText(m_apPlaces[i]->strPath, strPath)) {
            m_apPlaces[i]->bAttempt |= bMakeChain;
            return m_apPlaces[i]->nMade || Hold(i) ? i : kNoPlace;
        }
    }
    Place* pPlace = new Place(chKind, nWhich, strPath);
    pPlace->bAttempt = (BYTE)bMakeChain;
    int nMissing;
    const BOOL bLocated = m_nPlaces < kMaxPlaces && Locate(*pPlace, &nMissing);
    if (!bLocated || (nMissing && !bMakeChain)) {
        if (!bLocated)
            Note(kLogNotOwnPlace, strPath);
        delete pPlace;
        return kNoPlace;
    }
    const int nPlace = m_nPlaces++;
    m_apPlaces[nPlace] = pPlace;
    pPlace->nMade = (BYTE)nMissing;
    const DWORD nBefore = m_nSize;
    if (!m_bLoaded) {
        const BYTE data[] = { (BYTE)nWhich, (BYTE)nMissing };
        Add(chKind, 0, strPath, data, sizeof data);
    }
    if (nMissing)
        return nPlace;
    if (!Hold(nPlace)) {
        // Not the run's: off the journal again, unless a takeover put it on the disk.
        if (m_nOnDisk <= nBefore) {
            m_nSize = nBefore;
            delete m_apPlaces[--m_nPlaces];
        }
        return kNoPlace;
    }
    // A site lists the version library's temporaries that are there before the run.
    CStringArray temporaries;
    if (chKind == 'S' && !m_bLoaded)
        ListFiles(strPath + kVersionTempPattern, temporaries);
    for (int i = 0; i < temporaries.GetSize(); ++i)
        Add('V', nPlace, temporaries.GetAt(i));
    return nPlace;
}

BOOL CJournal::Reenter(char chKind, int nWhich, const char* pszPath, int nMade)
{
    if (m_nPlaces == kMaxPlaces)
        return FALSE;
    Place* pPlace = new Place(chKind, nWhich, pszPath);
    const int nPlace = m_nPlaces++;
    m_apPlaces[nPlace] = pPlace;
    pPlace->nMade = (BYTE)nMade;
    // One of the scope's own: a link folder exactly the scope's of its number; its own
    // folder is the journal's first place, and no other.
    int nMissing;
    if ((chKind == 'L' && (nWhich >= m_scope.LinkFolders() || !SameText(pszPath, m_scope.LinkFolder(nWhich)))) ||
        chKind == 'F' || !Locate(*pPlace, &nMissing)) {
        Note(kLogNotOwnPlace, pszPath);
        pPlace->bForeign = TRUE;
    } else if (!nMissing && !Hold(nPlace)) {
        pPlace->bForeign = TRUE;
    }
    return TRUE;
}

BOOL CJournal::IsMachinePlace(const Place& place) const
{
    // The user's desktop and program group are the user's places in a run for the
    // machine too (a run with windows puts its links there).
    return !m_scope.IsCurrentUser() && !(place.chKind == 'L' && place.nWhich < CScope::kAllUsersDesktop);
}

BOOL CJournal::Locate(Place& place, int* pnMissing)
{
    *pnMissing = 0;
    if (place.chKind == 'K')
        return TRUE;
    const char* pszPath = place.strPath;
    // In the one form of a full path; a site one that an installation could use.
    if (!IsCanonicalPath(pszPath) || (place.chKind == 'S' && !IsAcceptableTarget(pszPath)))
        return FALSE;
    // Every name on the way a folder reached directly; those not there yet (or where a
    // file stands) the run's to make.
    CString strAbove(pszPath, 3);
    int nMissing = 0;
    for (CPathWalk walk(pszPath, 3); walk.Next();) {
        const DWORD dwAttributes = nMissing ? INVALID_FILE_ATTRIBUTES : sys::GetFileAttributesA(walk.Head());
        const DWORD dwError = ::GetLastError();
        if (!nMissing && dwAttributes == INVALID_FILE_ATTRIBUTES && dwError != ERROR_FILE_NOT_FOUND &&
            dwError != ERROR_PATH_NOT_FOUND)
            return FALSE;
        if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return FALSE;
        if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++nMissing;
        else if (!walk.IsLast())
            strAbove = walk.Head();
    }
    *pnMissing = nMissing;
    if (!KeepsSecurity())
        return TRUE;
    if (!IsMachinePlace(place)) {
        // The user's own: below the user's profile, or, for a run for the user that
        // holds no more than the user's rights, anywhere.
        CString strProfile;
        return (ShellFolderPath(CSIDL_PROFILE, strProfile) && LiesBelow(pszPath, strProfile)) ||
               (m_scope.IsCurrentUser() && RightsOfProcess() != kFullRights);
    }
    // The machine's: the folder it lies in, or where its chain begins, lets nobody else
    // delete or swap what is in it.
    CFileHandle above(OpenInPlace(strAbove, READ_CONTROL, FILE_FLAG_BACKUP_SEMANTICS));
    return above.IsOpen() && IsTrusted(above, strAbove, kReplacingRights);
}

BOOL CJournal::Hold(int nPlace)
{
    Place& place = *m_apPlaces[nPlace];
    if (place.bHeld || place.chKind == 'K')
        return place.bHeld = TRUE;
    if (!KeepsSecurity())
        return place.bHeld = (BYTE)IsDirectory(place.strPath);
    place.held.Close();
    place.held.Attach(OpenInPlace(place.strPath, READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS));
    BY_HANDLE_FILE_INFORMATION info;
    if (!place.held.IsOpen())
        return FALSE;  // not there
    if (!sys::GetFileInformationByHandle(place.held, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        (IsMachinePlace(place) && !IsTrusted(place.held, place.strPath, kChangingRights) &&
         (place.chKind != 'S' || m_bLoaded || !TakeOver(nPlace)))) {
        place.held.Close();
        Note(kLogNotOwnPlace, place.strPath);
        return FALSE;
    }
    place.dwVolume = info.dwVolumeSerialNumber;
    place.nIndexHigh = info.nFileIndexHigh;
    place.nIndexLow = info.nFileIndexLow;
    return place.bHeld = TRUE;
}

BOOL CJournal::MakeChain(int nPlace)
{
    MakeFolders(PlacePath(nPlace), m_apPlaces[nPlace]->nMade);
    return Hold(nPlace);
}

BOOL CJournal::IsTrusted(HANDLE hFolder, const char* pszPath, DWORD dwRights)
{
    // A drive that keeps no rights (FAT) has nobody to guard against.
    const char szRoot[] = { pszPath[0], ':', '\\', '\0' };
    DWORD dwFlags;
    if (sys::GetVolumeInformationA(szRoot, NULL, 0, NULL, NULL, &dwFlags, NULL, 0) && !(dwFlags & FS_PERSISTENT_ACLS))
        return TRUE;
    if (!m_bOwnersKnown) {
        memset(m_abOwners, 0, sizeof m_abOwners);
        FindOwners(m_abOwners);
        m_bOwnersKnown = TRUE;
    }
    BYTE sd[kSecurityBytes];
    DWORD n;
    return sys::GetKernelObjectSecurity(hFolder, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, sd, sizeof sd,
                                        &n) &&
           IsTrustedSecurity(sd, sizeof sd, dwRights, m_abOwners);
}

BOOL CJournal::TakeOver(int nPlace)
{
    // Its owner and rights are on the disk before they change.
    Place& place = *m_apPlaces[nPlace];
    BYTE sd[kSecurityBytes];
    DWORD n;
    const SECURITY_INFORMATION info = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    if (!sys::GetKernelObjectSecurity(place.held, info, sd, sizeof sd, &n) || n > sizeof sd)
        return FALSE;
    Add('T', nPlace, "", sd, n);
    if (!Flush())
        return FALSE;
    Note(kLogTakenOver, place.strPath);
    return sys::SetFileSecurityA(place.strPath, info, OwnSecurity(kProgramRights)) &&
           IsTrusted(place.held, place.strPath, kChangingRights);
}

BOOL CJournal::KnownApart(int nA, int nB) const
{
    const Place& a = *m_apPlaces[nA];
    const Place& b = *m_apPlaces[nB];
    return (a.nIndexHigh | a.nIndexLow) && (b.nIndexHigh | b.nIndexLow) &&
           (a.dwVolume != b.dwVolume || a.nIndexHigh != b.nIndexHigh || a.nIndexLow != b.nIndexLow);
}

} // namespace ops
