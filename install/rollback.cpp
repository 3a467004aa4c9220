// The Cancel button: after the user confirms, undo the stages that the progress
// flags record as done, tell the user that the product was not installed and end.
//
// Files and directories are removed only where this run's installs wrote them
// (the sites), not in whatever directory the field shows when Cancel is pressed:
// after a failed Install the user may have typed another directory, and
// product-named files there are not ours.
#include "install_flow.h"
#include "registry.h"
#include "shortcuts.h"

namespace {

// The payload row of a file name, or -1.
int PayloadRowOf(const char* pszName)
{
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        if (::lstrcmpiA(kPayloadTable[nRow].pszFileName, pszName) == 0)
            return nRow;
    }
    return -1;
}

// The payload row that the rollback deletes at that position (1 first), or -1.
int RollbackRow(int nOrder)
{
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        if (kPayloadTable[nRow].nRollbackOrder == nOrder)
            return nRow;
    }
    return -1;
}

BOOL AnyProgressFlagSet()
{
    return g_bDirCreated || g_bExeInstalled || g_bHelpInstalled || g_bUninstallerInstalled || g_bReadmeInstalled ||
           g_bShortcutsCreated || g_bRegistryWritten;
}

} // namespace

void CInstallFlow::DeleteInstalledFile(const char* pszName)
{
    const int nRow = PayloadRowOf(pszName);
    if (nRow < 0)
        return;
    for (CInstallSites::Site* pSite = m_sites.First(); pSite; pSite = pSite->pNext) {
        if (pSite->IsInstalled(nRow))
            sys::remove(pSite->strDir + "\\" + pszName);
    }
}

void CInstallFlow::RemoveInstallDirectory(const CString& strPath)
{
    // The directory may be the current one: the directory stage leaves it there.
    sys::_chdir("\\");
    if (sys::_rmdir(strPath) != 0)
        Box("Unable to remove directory " + strPath, "NOTE", MB_ICONINFORMATION);
}

void CInstallFlow::Cancel()
{
    m_view.SetCancelPending(TRUE);

    CString strQuestion;
    if (AnyProgressFlagSet()) {
        strQuestion = "This will abort the installation of ";
        strQuestion += kDisplayName;
    } else {
        strQuestion = "Merolin will not be installed on your system";
    }
    strQuestion += "\r\nDo you wish to cancel the installation?";
    if (Box(strQuestion, "Cancel Install?", MB_YESNO | MB_ICONQUESTION) == IDNO) {
        m_view.SetCancelPending(FALSE);
        return;
    }

    Status("Stand by:\r\nAborting installation...");

    // Program-group shortcuts, then their folder.
    if (g_bShortcutsCreated) {
        ops::DeleteGroupShortcuts(g_strStartMenuDir);
        RemoveInstallDirectory(g_strStartMenuDir);
    }

    // Program files, in the order of the payload table's rollback column.
    for (int nOrder = 1, nRow; (nRow = RollbackRow(nOrder)) >= 0; ++nOrder) {
        if (*kPayloadTable[nRow].pbProgressFlag)
            DeleteInstalledFile(kPayloadTable[nRow].pszFileName);
    }

    // The installation directories themselves (never their parents). A payload file
    // that failed half-way may have left the extraction's temporary files behind;
    // they are the installer's own and go first.
    if (g_bDirCreated) {
        for (CInstallSites::Site* pSite = m_sites.First(); pSite; pSite = pSite->pNext) {
            sys::remove(pSite->strDir + "\\" + kTempCompressedFile);
            sys::remove(pSite->strDir + "\\" + kTempExpandedFile);
            RemoveInstallDirectory(pSite->strDir);
        }
    }

    // Registry: the vendor's version key, the application path, the uninstall entry.
    if (g_bRegistryWritten) {
        ops::DeleteRegistrySubkey(kVendorKey, kProductVersion);
        ops::DeleteRegistrySubkey(kAppPathsParentKey, kMainProgramFile);
        ops::DeleteRegistrySubkey(kUninstallParentKey, kProductName);
    }

    Box("Merolin was not installed on your system", "Installation Incomplete", MB_ICONINFORMATION);
    m_view.EndCancelled();
}
