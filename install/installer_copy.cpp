#include "installer_copy.h"
#include "file_probe.h"
#include "install_log.h"
#include "path.h"
#include "running_image.h"
#include "settle.h"

namespace {

// Whether a file (no folder: that is nobody's copy, and the copy fails on it) is there.
BOOL IsThere(const char* pszPath)
{
    const DWORD dwAttributes = sys::GetFileAttributesA(pszPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The copy is recorded (new, or the one there set aside), on the disk (it may be
// already), and a copy that is there moved aside into a folder aside of the journal's
// folder: then the place is the run's.
BOOL ClearCopyPlace(ops::CJournal& journal)
{
    BOOL bAside;
    return journal.WillWrite(0, kInstallerCopyName, &bAside) && journal.Flush() &&
           (!IsThere(InstallerCopyPath(journal)) || journal.MoveAside(0, kInstallerCopyName));
}

// This installer's own file; FALSE when the system cannot name it whole.
BOOL GetSelf(char (&szSelf)[MAX_PATH])
{
    const DWORD n = sys::GetModuleFileNameA(NULL, szSelf, MAX_PATH);
    return n && n < MAX_PATH;
}

} // namespace

CString InstallerCopyPath(const ops::CJournal& journal) { return journal.PathOf(0, kInstallerCopyName); }

BOOL IsRunningCopy(const char* pszCopy)
{
    char szSelf[MAX_PATH];
    return GetSelf(szSelf) && ops::SameText(szSelf, pszCopy);
}

BOOL KeepInstallerCopy(ops::CJournal& journal, const CString& strCopy)
{
    // One that is there goes aside, and the running image's file, opened at start, is
    // written; a folder in the way fails the copy.
    return ClearCopyPlace(journal) && ops::WriteRunningImage(strCopy);
}

BOOL SetInstallerCopyAside(ops::CJournal& journal, const CString& strCopy)
{
    return !IsThere(strCopy) || IsRunningCopy(strCopy) || ClearCopyPlace(journal);
}

void RemoveLeftoverCopies(const ops::CScope& scope)
{
    if (scope.HasInstallation())
        return;  // the copy is the installation's
    // Only in a folder of the installer's own, entered and held as the journal's are.
    for (int nFolder = 0; nFolder < scope.JournalFolders(); ++nFolder) {
        ops::CJournal journal(scope, LogNote);
        if (journal.EnterJournalFolder(nFolder) == ops::CJournal::kNoPlace)
            continue;
        const CString strCopy = InstallerCopyPath(journal);
        if (IsThere(strCopy) && !IsRunningCopy(strCopy))
            g_installLog.Write(ops::RemoveFile(strCopy) ? kLogRemoved : kLogNotDeleted, strCopy);
    }
}
