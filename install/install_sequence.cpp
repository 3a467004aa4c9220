// The install sequence: directory, payload files, Windows directory check, desktop
// and program-group shortcuts, registry, then the offer to start the product. Each
// stage writes into the run's record what it made, before it goes on, so that
// Cancel undoes exactly that; its progress flag only says that it finished.
#include "install_flow.h"
#include "install_log.h"
#include "installer_copy.h"
#include "path.h"
#include "file_probe.h"
#include "payload.h"
#include "report.h"
#include "registry.h"
#include "set_aside.h"
#include "shell_start.h"
#include "shortcuts.h"
#include "target_dir.h"

int CInstallFlow::Box(const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind)
{
    return AfxShowMessageBox(m_view.BoxOwner(), pszText, pszCaption, nType, nKind);
}

void CInstallFlow::Status(const char* pszText)
{
    g_installLog.Write(CString(kLogStatus) + pszText);
    m_view.SetStatus(pszText);
}

void CInstallFlow::Install()
{
    m_bInstalling = TRUE;
    RunInstall();
    m_bInstalling = FALSE;
}

void CInstallFlow::RunInstall()
{
    CInstallRecord::Site* pSite = EnterTargetDirectory();
    if (!pSite || !InstallPayload(pSite))
        return;

    // The Windows directory must be there; the path itself is not needed.
    char szWindowsDir[MAX_PATH];
    if (sys::GetWindowsDirectoryA(szWindowsDir, MAX_PATH) == 0) {
        ShowError(kNoWindowsDirText, kBoxFatal);
        return;
    }
    if (CreateShortcuts() && WriteRegistry())
        Complete(pSite);
}

// The path is taken once: the payload goes where the directory stage went, and the
// rollback later cleans that directory. A path the install could not take as it says
// (one rule, ops::IsAcceptableTarget) is refused before anything is made, as a bad
// drive is.
CInstallRecord::Site* CInstallFlow::EnterTargetDirectory()
{
    const HWND hOwner = m_view.BoxOwner();
    Status(kStatusCreatingDir);
    const CString strDir = m_view.TargetDir();
    if (!ops::IsAcceptableTarget(strDir)) {
        ops::ReportError(hOwner, kInvalidPathText);
        ShowError(kNoDirectoryText, kBoxFatal);
        return NULL;
    }
    // The record from the first change on, unless the opening started it for the
    // removal (or a cancel ended the last one). A directory that is not there yet is
    // on it before it is made.
    if (!m_runRecord.IsActive() && !StartRecord())
        return NULL;
    RecordMissingChain(strDir);
    if (!Recorded(m_runRecord.Flush()))
        return NULL;
    const BOOL bMade = ops::CreateTargetDirectory(hOwner, strDir, NULL, Scope().ProgramRights());
    if (!bMade) {
        ShowError(kNoDirectoryText, kBoxFatal);
        return NULL;
    }
    // The site is the directory actually entered, however the path spelt it.
    char szEntered[MAX_PATH];
    CInstallRecord::Site* pSite = m_record.Enter(sys::_getcwd(szEntered, MAX_PATH) ? CString(szEntered) : strDir);
    g_bDirCreated = 1;
    return pSite;
}

// The payload files, in table order, into the directory just entered. A sample
// file that fails is shown and the next one follows. The record names the files
// this run brought into being; one that was there before is replaced, not recorded.
BOOL CInstallFlow::InstallPayload(CInstallRecord::Site* pSite)
{
    Status(kStatusInstallingFiles);
    // A product file that is there and not this run's is set aside before it is
    // replaced; every other one is recorded as new. All of it is on the disk before
    // the first file changes.
    // The site lists the version library's temporaries that are there before it.
    CStringArray temporaries;
    ops::ListFiles(pSite->strDir + kVersionTempPattern, temporaries);
    CString strTemporaries;
    for (int i = 0; i < temporaries.GetSize(); ++i)
        strTemporaries += temporaries.GetAt(i) + CString("", 1);
    m_runRecord.Add(ops::CRecordFile::kSite, pSite->strDir, strTemporaries, strTemporaries.GetLength());
    UINT nAside = 0;
    BOOL bRecorded = TRUE;
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        BOOL bAside;
        bRecorded &= ops::RecordReplacing(m_runRecord, pSite->strDir + "\\" + kPayloadTable[nRow].pszFileName, &bAside);
        nAside |= (UINT)bAside << nRow;
    }
    if (!Recorded(bRecorded && m_runRecord.Flush()))
        return FALSE;
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        if (nAside >> nRow & 1u)  // one held elsewhere stays
            ops::MoveAside(m_runRecord, pSite->strDir + "\\" + kPayloadTable[nRow].pszFileName);
    }

    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        const PayloadFile& file = kPayloadTable[nRow];
        if (!ops::ExtractPayloadFile(m_view.BoxOwner(), file.nResourceId, file.pszFileName)) {
            ShowError(file.pszFailure, file.bRequired ? kBoxFatal : kBoxError);
            if (file.bRequired)
                return FALSE;
            continue;
        }
        if (file.pbProgressFlag)
            *file.pbProgressFlag = 1;
    }
    return TRUE;
}

// The desktop link reports its own failure and the install goes on; each program-group
// link is required. The links name the directory as the field shows it now.
BOOL CInstallFlow::CreateShortcuts()
{
    const HWND hOwner = m_view.BoxOwner();
    Status(kStatusDesktopLink);
    // A link that is there and not this run's is kept before it is replaced; a
    // program group that is not there yet is on the record before it is made.
    RecordMissingChain(g_strStartMenuDir);
    if (!Recorded(ops::RecordProductLinks(m_runRecord, (1u << kShortcutCount) - 1, g_strStartMenuDir, NULL,
                                          m_bNoDesktop           ? ops::kNoNewDesktop
                                          : m_options.m_bAllUsers ? ops::kAllUsersDesktop
                                                                  : ops::kUsersDesktop,
                                          TRUE) &&
                  m_runRecord.Flush()))
        return FALSE;
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutSpec& link = kShortcutTable[i];
        // The desktop of all users when the links are for the machine.
        if (link.bDesktop && !m_bNoDesktop)
            ops::CreateShortcut(Scope(), hOwner, m_view.TargetDir(), g_strStartMenuDir, link.pszBaseName, link.pszExtension,
                                link.pszTitle, TRUE, NULL, m_options.m_bAllUsers);
    }

    Status(kStatusGroupLinks);
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutSpec& link = kShortcutTable[i];
        if (link.bDesktop)
            continue;
        if (!ops::CreateShortcut(Scope(), hOwner, m_view.TargetDir(), g_strStartMenuDir, link.pszBaseName,
                                 link.pszExtension, link.pszTitle, FALSE)) {
            ShowError(link.pszFailure, kBoxFatal);
            return FALSE;
        }
    }
    g_bShortcutsCreated = 1;
    return TRUE;
}

BOOL CInstallFlow::WriteRegistry()
{
    Status(kStatusRegistry);
    // From here the product's keys are this run's; the maker's key is too when it
    // is not there yet. Product keys still there at the first attempt (the removal
    // could not take them, or they came since) are kept first.
    const BOOL bFirst = !m_runRecord.Has(ops::CRecordFile::kRegistry, "");
    BOOL bKept = TRUE;
    for (int i = 0; i < (int)ARRAYSIZE(kProductKeys) && bFirst; ++i)
        bKept &= ops::KeepKeyTree(m_runRecord, kProductKeys[i]);
    CRegKey maker;
    const BYTE bMakerThere = maker.Open(Scope().Root(), kMakerKey, KEY_READ) == ERROR_SUCCESS;
    m_runRecord.Add(ops::CRecordFile::kRegistry, "", &bMakerThere, 1);
    if (!Recorded(bKept && m_runRecord.Flush()))
        return FALSE;
    // The uninstall entry names the installer's copy, kept like a file of the installation.
    const CString strCopy = InstallerCopyPath(m_runRecord);
    if (!KeepInstallerCopy(m_runRecord, strCopy)) {
        ShowError(kNoInstallerCopyText + ops::ParentOf(strCopy), kBoxFatal);
        return FALSE;
    }
    if (!ops::WriteRegistryEntries(Scope(), m_view.TargetDir(), strCopy, m_bNoDesktop)) {
        ShowError(kNoRegistryText, kBoxFatal);
        return FALSE;
    }
    g_bRegistryWritten = 1;
    return TRUE;
}

// Earlier failed attempts of this run in other directories leave nothing behind;
// then the completion, unless a cancel is under way, and the view ends.
void CInstallFlow::Complete(const CInstallRecord::Site* pSite)
{
    RemoveEarlierSites(pSite);
    if (!m_view.IsCancelPending()) {
        // Completed once the disk says so: what was set aside goes, before the offer
        // to start the product. A completion the disk does not take is a failure,
        // undone with the rest when the flow ends, never later by the next run.
        if (!Recorded(m_runRecord.Commit(ops::CRecordFile::kCompleted)))
            return;
        SettleRecord(m_runRecord);
        m_outcome = kOutcomeInstalled;
        Status(kStatusComplete);
        m_view.Hide();
        if (Box(kCompletionOffer, kCompletionCaption, MB_YESNO | MB_ICONQUESTION, kBoxOffer) == IDYES) {
            // Built to the directory's own length: a typed directory may be long.
            const CString strTarget = m_view.TargetDir();
            ops::StartProgram(strTarget + "\\" + kMainProgramFile, strTarget);
        }
    }
    m_view.EndInstalled();
}
