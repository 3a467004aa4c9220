// The Cancel button: after the user confirms, undo what the run's record says this
// run made, tell the user that the product was not installed and end.
//
// Files and directories are removed only where this run's installs wrote them
// (the sites), not in whatever directory the field shows when Cancel is pressed:
// after a failed Install the user may have typed another directory, and
// product-named files there are not ours.
#include "install_flow.h"
#include "file_probe.h"
#include "path.h"
#include "registry.h"
#include "shortcuts.h"

namespace {

// The payload row that the rollback deletes at that position (1 first), or -1.
int RollbackRow(int nOrder)
{
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        if (kPayloadTable[nRow].nRollbackOrder == nOrder)
            return nRow;
    }
    return -1;
}

// The extraction's temporary files: a payload file that failed half-way may have
// left them behind; they are the installer's own.
void RemoveTemporaryFiles(const CInstallRecord::Site& site)
{
    sys::remove(site.strDir + "\\" + kTempCompressedFile);
    sys::remove(site.strDir + "\\" + kTempExpandedFile);
}

} // namespace

void CInstallFlow::DeleteInstalledFile(int nRow)
{
    for (CInstallRecord::Site* pSite = m_record.First(); pSite; pSite = pSite->pNext) {
        if (pSite->IsInstalled(nRow))
            sys::remove(pSite->strDir + "\\" + kPayloadTable[nRow].pszFileName);
    }
}

void CInstallFlow::RemoveCreatedDirectories(const char* pszKeep, BOOL bReport)
{
    const CStringArray& dirs = m_record.m_createdDirs;
    CString strStayed;  // the last directory that stayed: the ones above it stay too
    for (int i = dirs.GetSize() - 1; i >= 0; --i) {
        const CString& strDir = dirs.GetAt(i);
        if ((pszKeep && ops::LiesBelow(pszKeep, strDir)) ||
            (!strStayed.IsEmpty() && ops::LiesBelow(strStayed, strDir)))
            continue;
        sys::_chdir("\\");  // the directory may be the current one
        if (sys::_rmdir(strDir) != 0 && ops::IsDirectory(strDir)) {
            strStayed = strDir;
            if (bReport)
                Box(kDirectoryStaysText + strDir, kNoteCaption, MB_ICONINFORMATION, kBoxNotice);
        }
    }
}

void CInstallFlow::RemoveEarlierSites(const CInstallRecord::Site* pCompleted)
{
    for (CInstallRecord::Site* pSite = m_record.First(); pSite; pSite = pSite->pNext) {
        if (!CInstallRecord::KnownApart(*pSite, *pCompleted))
            continue;  // perhaps the completed directory under another name: its files stay
        for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
            if (pSite->IsInstalled(nRow))
                sys::remove(pSite->strDir + "\\" + kPayloadTable[nRow].pszFileName);
        }
        RemoveTemporaryFiles(*pSite);
        pSite->nInstalledRows = 0;
    }
    // The completed site's own chain and the program group hold what was installed.
    RemoveCreatedDirectories(pCompleted->strDir, FALSE);
}

void CInstallFlow::Cancel()
{
    m_view.SetCancelPending(TRUE);
    const char* pszQuestion = AnyProgressFlagSet() ? kCancelAbortQuestion : kCancelNothingQuestion;
    if (Box(pszQuestion, kCancelCaption, MB_YESNO | MB_ICONQUESTION, kBoxQuestion) == IDNO) {
        m_view.SetCancelPending(FALSE);
        return;
    }
    m_outcome = kOutcomeUserEnded;
    Status(kStatusAborting);

    // Every link this run saved, the desktop's included, from the user's folders and
    // all users' alike; a link of a row that this run did not save stays.
    ops::DeleteProductLinks(m_record.m_nLinks, g_strStartMenuDir);

    // The files this run created, in the order of the payload table's rollback column.
    for (int nOrder = 1, nRow; (nRow = RollbackRow(nOrder)) >= 0; ++nOrder)
        DeleteInstalledFile(nRow);

    for (CInstallRecord::Site* pSite = m_record.First(); pSite; pSite = pSite->pNext)
        RemoveTemporaryFiles(*pSite);

    // The directories this run made (program group and installation directories),
    // deepest first; a directory that was there before is the user's and stays.
    RemoveCreatedDirectories(NULL, TRUE);

    // Registry: the keys this run created (the product's keys and the vendor's keys
    // above them that were not there), also when the registry stage failed part-way.
    ops::DeleteCreatedKeys(m_record.m_createdKeys);

    // Then what the run set aside, the previous installation, is put back.
    SettleRecord(m_runRecord);

    Box(kNotInstalledText, kIncompleteCaption, MB_ICONINFORMATION, kBoxNotice);
    m_view.EndCancelled();
}
