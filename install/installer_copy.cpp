#include "installer_copy.h"
#include "install_log.h"
#include "own_folder.h"
#include "path.h"
#include "set_aside.h"

namespace {

typedef ops::CRecordFile Record;

// Whether a file (no folder: that is nobody's copy, and the copy fails on it) is there.
BOOL IsThere(const char* pszPath)
{
    const DWORD dwAttributes = sys::GetFileAttributesA(pszPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The copy's folder is a site of the run: what it sets aside there goes into a folder
// aside of the installer's own rights. The copy itself is recorded, on the disk, and a
// copy that is there moved aside: then the place is the run's.
BOOL ClearCopyPlace(Record& record, const CString& strCopy)
{
    const CString strFolder = ops::ParentOf(strCopy);
    if (!record.Has(Record::kSite, strFolder))
        record.Add(Record::kSite, strFolder);
    BOOL bAside;
    return ops::RecordReplacing(record, strCopy, &bAside) && record.Flush() &&
           (!bAside || ops::MoveAside(record, strCopy));
}

// This installer's own file; FALSE when the system cannot name it whole.
BOOL GetSelf(char (&szSelf)[MAX_PATH])
{
    const DWORD n = sys::GetModuleFileNameA(NULL, szSelf, MAX_PATH);
    return n && n < MAX_PATH;
}

} // namespace

CString InstallerCopyPath(const Record& record) { return ops::ParentOf(record.FilePath()) + "\\" + kInstallerCopyName; }

BOOL IsRunningCopy(const char* pszCopy)
{
    char szSelf[MAX_PATH];
    return GetSelf(szSelf) && ops::SameText(szSelf, pszCopy);
}

BOOL KeepInstallerCopy(Record& record, const CString& strCopy)
{
    char szSelf[MAX_PATH];
    if (!GetSelf(szSelf))
        return FALSE;
    if (ops::SameText(szSelf, strCopy))
        return TRUE;  // a run of the copy itself: it is there, and it is this installer
    // A copy an earlier attempt of the run wrote is written again; a folder in the way
    // fails the copy.
    return ClearCopyPlace(record, strCopy) && sys::CopyFileA(szSelf, strCopy, FALSE);
}

BOOL SetInstallerCopyAside(Record& record, const CString& strCopy)
{
    return !IsThere(strCopy) || IsRunningCopy(strCopy) || ClearCopyPlace(record, strCopy);
}

void RemoveLeftoverCopies(const ops::CScope& scope)
{
    if (scope.HasInstallation())
        return;  // the copy is the installation's
    for (int nPlace = 0; nPlace < scope.RecordPlaces(); ++nPlace) {
        const CString strFolder = scope.RecordFolder(nPlace);
        const CString strCopy = strFolder + "\\" + kInstallerCopyName;
        // Only in a folder of the installer's own, reached directly.
        if (IsThere(strCopy) && !IsRunningCopy(strCopy) && ops::IsTrustedFolder(strFolder) &&
            ops::ReachOf(strFolder) == ops::kReached) {
            sys::SetFileAttributesA(strCopy, FILE_ATTRIBUTE_NORMAL);
            g_installLog.Write(sys::remove(strCopy) ? kLogNotDeleted : kLogRemoved, strCopy);
        }
    }
}
