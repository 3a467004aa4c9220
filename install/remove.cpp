// The removal of the installation that the machine names, as an upgrade removes a
// previous one: through the run's journal, everything set aside until the whole of it
// has gone, so that a removal that cannot finish leaves the installation complete and
// registered, and one cut short is put back by the next run.
#include "install_flow.h"
#include "install_log.h"
#include "installer_copy.h"
#include "file_probe.h"
#include "payload.h"
#include "previous_install.h"
#include "registry.h"
#include "shell_folders.h"
#include "target_dir.h"

namespace {

// The folders go once nothing else is in them: the program groups, the installation
// directory, the maker's key. Also where nothing was installed: a removal cut short
// after its completion may have left them.
void RemoveEmptyLeftovers(const ops::CScope& scope)
{
    sys::_chdir("\\");  // the directory may be the current one
    for (int nLink = ops::CScope::kUserGroup; nLink < scope.LinkFolders(); nLink += 2)
        sys::_rmdir(scope.LinkFolder(nLink));
    sys::_rmdir(g_strInstallDir);
    ops::DeleteKeyIfEmpty(scope, kMakerKey);
}

// Whether an installation is there, and which directory it is in (g_strInstallDir):
// the application path's "Path", else the uninstall entry's "InstallLocation", else
// the proposed one; only a directory that an installation could have used. Any of the
// three keys is an installation (the vendor's holds neither value), and so is any
// payload file in the directory; but a sample file that the user has changed is his
// now, and stays: the others go to samples.
BOOL FindInstallation(const ops::CScope& scope, CStringArray& samples)
{
    BOOL bInstalled = FALSE;
    CString strDir;
    for (int i = (int)ARRAYSIZE(kProductKeys) - 1; i >= 0; --i) {
        CRegKey key;
        if (key.Open(scope.Root(), kProductKeys[i], KEY_READ) != ERROR_SUCCESS)
            continue;
        bInstalled = TRUE;
        if (ops::ReadRegistryText(key, i ? kInstallLocationValue : kPathValue, strDir) &&
            ops::IsAcceptableTarget(strDir))
            g_strInstallDir = strDir;
    }
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        const char* pszName = kPayloadTable[nRow].pszFileName;
        const CString strPath = g_strInstallDir + "\\" + pszName;
        struct _finddata_t fd;
        if (!ops::ProbePath(strPath, &fd))
            continue;
        if (!kPayloadTable[nRow].pbProgressFlag) {
            if (!ops::IsAsInstalled(strPath, nRow)) {
                g_installLog.Write(kLogRecordForeign, strPath);
                continue;
            }
            samples.Add(pszName);
        }
        bInstalled = TRUE;
    }
    return bInstalled;
}

} // namespace

RunOutcome CInstallFlow::Remove()
{
    ProposeDirectories();
    CStringArray samples;
    const BOOL bInstalled = FindInstallation(Scope(), samples);
    if (bInstalled) {
        if (Box(kRemoveQuestion, kOverwriteCaption, MB_YESNO | MB_ICONEXCLAMATION, kBoxQuestion) != IDYES)
            return kOutcomeUserEnded;
        if (EndIfProgramRunsThere() || !StartJournal())
            return m_outcome;

        // Every link, the desktop's too, from the folders of all users and of the user,
        // and the installer's copy. A file that cannot go leaves everything as it was.
        CStringArray stayed;
        const CString strCopy = InstallerCopyPath(m_journal);
        if (!SetInstallerCopyAside(m_journal, strCopy))
            stayed.Add(strCopy);
        const BOOL bRemoved = !stayed.GetSize() &&
                              ops::SetPreviousInstallAside(m_journal, g_strInstallDir, (1u << kShortcutCount) - 1,
                                                           &samples, &stayed) &&
                              !stayed.GetSize() && m_journal.Complete();
        for (int i = 0; i < stayed.GetSize(); ++i)
            g_installLog.Write(kLogNotDeleted, stayed.GetAt(i));
        m_journal.Settle();
        if (!bRemoved) {
            ShowError(kNotRemovedText, kBoxFatal);
            return kOutcomeFailed;
        }
        // The copy this removal runs from cannot delete itself: it goes at the next
        // restart, or else the next run of an installer deletes it.
        if (IsRunningCopy(strCopy) && sys::MoveFileExA(strCopy, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
            g_installLog.Write(kLogDeletedAtRestart, strCopy);
    }
    RemoveEmptyLeftovers(Scope());
    Box(bInstalled ? kRemovedText : kNothingToRemoveText, kRemoveCaption, MB_ICONINFORMATION, kBoxNotice);
    return kOutcomeInstalled;
}
