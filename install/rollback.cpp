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

// Whether the directory is there (a directory made twice by this run is gone after
// its first removal).
BOOL DirectoryExists(const CString& strDir)
{
    struct _finddata_t fd;
    intptr_t hFind = sys::_findfirst(strDir, &fd);
    if (hFind == -1)
        return FALSE;
    sys::_findclose(hFind);
    return (fd.attrib & _A_SUBDIR) != 0;
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

void CInstallFlow::RemoveCreatedDirectories(const char* pszKeep, BOOL bReport)
{
    const CString strList = m_sites.m_strCreatedDirs;
    CString strStayed = "\n";  // the last directory that stayed: the ones above it stay too
    for (int nEnd = strList.GetLength() - 1; nEnd > 0;) {
        int nStart = nEnd - 1;
        while (nStart >= 0 && strList.GetAt(nStart) != '\n')
            --nStart;
        const CString strDir = strList.Left(nEnd).Right(nEnd - nStart - 1);
        nEnd = nStart;
        if ((pszKeep && CInstallSites::Contains(strDir, pszKeep)) || CInstallSites::Contains(strDir, strStayed))
            continue;
        sys::_chdir("\\");  // the directory may be the current one
        if (sys::_rmdir(strDir) != 0 && DirectoryExists(strDir)) {
            strStayed = strDir;
            if (bReport)
                Box("Unable to remove directory " + strDir, "NOTE", MB_ICONINFORMATION);
        }
    }
}

void CInstallFlow::RemoveEarlierSites(const CInstallSites::Site* pCompleted)
{
    for (CInstallSites::Site* pSite = m_sites.First(); pSite; pSite = pSite->pNext) {
        if (pSite == pCompleted)
            continue;
        for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
            if (pSite->IsInstalled(nRow))
                sys::remove(pSite->strDir + "\\" + kPayloadTable[nRow].pszFileName);
        }
        sys::remove(pSite->strDir + "\\" + kTempCompressedFile);
        sys::remove(pSite->strDir + "\\" + kTempExpandedFile);
        pSite->nInstalledRows = 0;
    }
    // The completed site's own chain and the program group hold what was installed.
    RemoveCreatedDirectories(pCompleted->strDir, FALSE);
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

    // Every link this run saved, the desktop's included; a link that was there
    // before and was not replaced stays.
    for (int i = 0; i < kShortcutCount; ++i) {
        if (m_sites.m_nLinks & (1u << i))
            ops::DeleteShortcut(g_strStartMenuDir, kShortcutTable[i].pszTitle, kShortcutTable[i].bDesktop);
    }

    // Program files, in the order of the payload table's rollback column.
    for (int nOrder = 1, nRow; (nRow = RollbackRow(nOrder)) >= 0; ++nOrder) {
        if (*kPayloadTable[nRow].pbProgressFlag)
            DeleteInstalledFile(kPayloadTable[nRow].pszFileName);
    }

    // A payload file that failed half-way may have left the extraction's temporary
    // files behind; they are the installer's own.
    for (CInstallSites::Site* pSite = m_sites.First(); pSite; pSite = pSite->pNext) {
        sys::remove(pSite->strDir + "\\" + kTempCompressedFile);
        sys::remove(pSite->strDir + "\\" + kTempExpandedFile);
    }

    // The directories this run made (program group and installation directories),
    // deepest first; a directory that was there before is the user's and stays.
    RemoveCreatedDirectories(NULL, TRUE);

    // Registry: the keys this run wrote (vendor version key, application path,
    // uninstall entry), also when the registry stage failed part-way.
    ops::DeleteProductKeys(m_sites.m_nRegistryKeys);

    Box("Merolin was not installed on your system", "Installation Incomplete", MB_ICONINFORMATION);
    m_view.EndCancelled();
}
