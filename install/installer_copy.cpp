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
// aside of the installer's own rights. Then the copy itself, set aside when it is there.
BOOL RecordCopyAside(Record& record, const CString& strCopy, BOOL bThere)
{
    const CString strFolder = ops::ParentOf(strCopy);
    if (!record.Has(Record::kSite, strFolder))
        record.Add(Record::kSite, strFolder);
    if (record.Has(Record::kNewFile, strCopy) || record.Has(Record::kSetAside, strCopy))
        return record.Flush();  // the run's own already
    if (!bThere)
        record.Add(Record::kNewFile, strCopy);
    return (!bThere || ops::RecordSetAside(record, strCopy)) && record.Flush();
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
    const BOOL bThere = IsThere(strCopy);
    if (!RecordCopyAside(record, strCopy, bThere))
        return FALSE;
    if (bThere && record.Has(Record::kSetAside, strCopy))
        ops::MoveAside(record, strCopy);
    // A copy this run wrote before is written again; anything else in the way fails.
    return sys::CopyFileA(szSelf, strCopy, !record.Has(Record::kNewFile, strCopy));
}

BOOL SetInstallerCopyAside(Record& record, const CString& strCopy)
{
    if (!IsThere(strCopy) || IsRunningCopy(strCopy))
        return TRUE;
    return RecordCopyAside(record, strCopy, TRUE) && ops::MoveAside(record, strCopy);
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
