// OnCancelInstall: the Cancel button. After the user confirms, it undoes the
// stages that the progress flags record as done, tells the user that the product
// was not installed and ends the dialog.
//
// Files and directories are removed only where this dialog's installs wrote them
// (m_installSites), not in whatever directory the field shows when Cancel is
// pressed: after a failed Install the user may have typed another directory, and
// product-named files there are not ours.
#include "installer_dlg.h"
#include "manifest.h"

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

BOOL AnyProgressFlagSet()
{
    return g_bDirCreated || g_bExeInstalled || g_bHelpInstalled || g_bUninstallerInstalled || g_bReadmeInstalled ||
           g_bShortcutsCreated || g_bRegistryWritten;
}

} // namespace

// Deletes the installed file of that name from each directory that an install of
// this dialog put it in; silent.
void CInstallerDlg::DeleteInstalledFile(const char* pszName)
{
    const int nRow = PayloadRowOf(pszName);
    if (nRow < 0)
        return;
    for (CInstallSites::Site* pSite = m_installSites.First(); pSite; pSite = pSite->pNext) {
        if (pSite->nDone & (2 << nRow))
            sys::remove(pSite->strDir + "\\" + pszName);
    }
}

void CInstallerDlg::RemoveInstallDirectory(CString strPath)
{
    // The directory may be the current one: the directory stage leaves it there.
    sys::_chdir("\\");
    if (sys::_rmdir(strPath) != 0)
        MessageBox("Unable to remove directory " + strPath, "NOTE", MB_ICONINFORMATION);
}

void CInstallerDlg::OnCancelInstall()
{
    m_bCancelPending = TRUE;

    CString strQuestion;
    if (AnyProgressFlagSet()) {
        strQuestion = "This will abort the installation of ";
        strQuestion += kDisplayName;
    } else {
        strQuestion = "Merolin will not be installed on your system";
    }
    strQuestion += "\r\nDo you wish to cancel the installation?";
    if (MessageBox(strQuestion, "Cancel Install?", MB_YESNO | MB_ICONQUESTION) == IDNO) {
        m_bCancelPending = FALSE;
        return;
    }

    SetStatus("Stand by:\r\nAborting installation...");

    // Program-group shortcuts, then their folder.
    if (g_bShortcutsCreated) {
        for (int i = 0; i < kShortcutCount; ++i) {
            if (!kShortcutTable[i].bDesktop)
                DeleteShortcut(kShortcutTable[i].pszTitle, FALSE);
        }
        RemoveInstallDirectory(g_strStartMenuDir);
    }

    // Program files: program, help, readme, uninstaller.
    static const int kRollbackRows[] = { 0, 1, 3, 2 };
    for (int i = 0; i < (int)(sizeof kRollbackRows / sizeof kRollbackRows[0]); ++i) {
        const PayloadFile& file = kPayloadTable[kRollbackRows[i]];
        if (*file.pbProgressFlag)
            DeleteInstalledFile(file.pszFileName);
    }

    // The installation directories themselves (never their parents). A payload file
    // that failed half-way may have left the extraction's temporary files behind;
    // they are the installer's own and go first.
    if (g_bDirCreated) {
        for (CInstallSites::Site* pSite = m_installSites.First(); pSite; pSite = pSite->pNext) {
            if (!(pSite->nDone & CInstallSites::kDirectory))
                continue;
            sys::remove(pSite->strDir + "\\" + kTempCompressedFile);
            sys::remove(pSite->strDir + "\\" + kTempExpandedFile);
            RemoveInstallDirectory(pSite->strDir);
        }
    }

    // Registry: the vendor's version key, the application path, the uninstall entry.
    if (g_bRegistryWritten) {
        DeleteRegistrySubkey(kVendorKey, kProductVersion);
        DeleteRegistrySubkey(kAppPathsParentKey, kMainProgramFile);
        DeleteRegistrySubkey(kUninstallParentKey, m_strAppName);
    }

    MessageBox("Merolin was not installed on your system", "Installation Incomplete", MB_ICONINFORMATION);
    CDialog::EndDialog(0);
    CDialog::OnCancel();
}
