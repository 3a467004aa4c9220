// The install sequence: directory, payload files, Windows directory check, desktop
// and program-group shortcuts, registry, then the offer to start the product. Each
// stage puts on the run's journal what it is about to make and replace, before it
// does, so that Cancel undoes exactly that; its progress flag only says that it finished.
#include "install_flow.h"
#include "install_log.h"
#include "installer_copy.h"
#include "path.h"
#include "file_probe.h"
#include "payload.h"
#include "report.h"
#include "running_image.h"
#include "registry.h"
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
    const int nSite = EnterTargetDirectory();
    if (nSite == ops::CJournal::kNoPlace || !InstallPayload(nSite))
        return;

    // The Windows directory must be there; the path itself is not needed.
    char szWindowsDir[MAX_PATH];
    if (sys::GetWindowsDirectoryA(szWindowsDir, MAX_PATH) == 0) {
        ShowError(kNoWindowsDirText, kBoxFatal);
        return;
    }
    if (CreateShortcuts() && WriteRegistry())
        Complete(nSite);
}

// The path is taken once: the payload goes where the directory stage went, and the
// rollback later cleans that directory. A path the install could not take as it says
// (one rule, ops::IsAcceptableTarget) is refused before anything is made, as a bad
// drive is; so is a directory that is not one the run may use (behind a reparse
// point, below a folder that others may swap names in).
int CInstallFlow::EnterTargetDirectory()
{
    const HWND hOwner = m_view.BoxOwner();
    Status(kStatusCreatingDir);
    const CString strDir = m_view.TargetDir();
    // The journal from the first change on, unless the opening started it for the
    // removal (or a cancel ended the last one). The site and the part of its chain that
    // is not there yet are on it before anything is made; a directory there that
    // others may write is taken over first.
    int nSite = ops::CJournal::kNoPlace;
    const BOOL bAcceptable = ops::IsAcceptableTarget(strDir);
    if (bAcceptable && ((!m_journal.IsActive() && !StartJournal()) || !ops::CheckTargetDrive(hOwner, strDir))) {
        if (m_journal.IsActive())
            ShowError(kNoDirectoryText, kBoxFatal);
        return nSite;
    }
    if (bAcceptable)
        nSite = m_journal.EnterSite(strDir, TRUE);
    if (nSite == ops::CJournal::kNoPlace) {
        ops::ReportError(hOwner, kInvalidPathText);
        ShowError(kNoDirectoryText, kBoxFatal);
        return nSite;
    }
    // On the disk before a directory is made (one there waits for the payload's entries).
    if (!m_journal.IsHeld(nSite) && !Recorded(m_journal.Flush()))
        return ops::CJournal::kNoPlace;
    if (!ops::MakeTargetChain(hOwner, strDir, Scope().ProgramRights()) || !m_journal.Hold(nSite)) {
        ShowError(kNoDirectoryText, kBoxFatal);
        return ops::CJournal::kNoPlace;
    }
    g_bDirCreated = 1;
    return nSite;
}

// The payload files, in table order, into the directory just entered. A sample
// file that fails is shown and the next one follows. The journal names the files
// this run brought into being and those it set aside to replace them.
BOOL CInstallFlow::InstallPayload(int nSite)
{
    Status(kStatusInstallingFiles);
    // A product file that is there and not this run's is set aside before it is
    // replaced; every other one is recorded as new. So is what the later stages make
    // and replace (they find it recorded): the links, one there kept as its bytes; the
    // product's keys, those there kept; the installer's copy, one there that is not this
    // installer to be set aside. All of it is on the disk, in one flush, before the
    // first file changes.
    UINT nAside = 0;
    BOOL bRecorded = TRUE;
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        BOOL bAside;
        bRecorded &= m_journal.WillWrite(nSite, kPayloadTable[nRow].pszFileName, &bAside);
        nAside |= (UINT)bAside << nRow;
    }
    BOOL bCopyAside;  // moved by the registry stage
    m_bCopyInPlace = ops::IsRunningImageCopy(InstallerCopyPath(m_journal));
    if (!m_bCopyInPlace)
        bRecorded &= m_journal.WillWrite(0, kInstallerCopyName, &bCopyAside);
    int nDesktop, nGroup;
    bRecorded &= RecordLinks(&nDesktop, &nGroup) && m_journal.WillWriteProductKeys();
    if (!Recorded(bRecorded && m_journal.Flush()))
        return FALSE;
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        if (nAside >> nRow & 1u)  // one held elsewhere stays
            m_journal.MoveAside(nSite, kPayloadTable[nRow].pszFileName);
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
    // The links' folders are places of the run's, all users' when the links are for
    // the machine: a link that is there and not this run's is kept before it is
    // replaced; a program group that is not there yet is on the journal before it is made.
    int nDesktop, nGroup;
    if (!Recorded(RecordLinks(&nDesktop, &nGroup) && m_journal.Flush()))
        return FALSE;
    const char* pszGroup = nGroup != ops::CJournal::kNoPlace && m_journal.MakeChain(nGroup) ? (const char*)m_journal.PlacePath(nGroup) : NULL;
    const char* pszDesktop = nDesktop != ops::CJournal::kNoPlace ? (const char*)m_journal.PlacePath(nDesktop) : NULL;
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutSpec& link = kShortcutTable[i];
        if (link.bDesktop && !m_bNoDesktop)
            ops::CreateShortcut(hOwner, m_view.TargetDir(), pszDesktop, FALSE, link.pszBaseName, link.pszExtension,
                                link.pszTitle);
    }

    Status(kStatusGroupLinks);
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutSpec& link = kShortcutTable[i];
        if (link.bDesktop)
            continue;
        if (!ops::CreateShortcut(hOwner, m_view.TargetDir(), pszGroup, TRUE, link.pszBaseName, link.pszExtension,
                                 link.pszTitle)) {
            ShowError(link.pszFailure, kBoxFatal);
            return FALSE;
        }
    }
    g_bShortcutsCreated = 1;
    return TRUE;
}

BOOL CInstallFlow::RecordLinks(int* pnDesktop, int* pnGroup)
{
    const int nAllUsers = m_options.m_bAllUsers ? ops::CScope::kAllUsersDesktop : 0;
    *pnDesktop =
        m_bNoDesktop ? ops::CJournal::kNoPlace : m_journal.EnterLinkFolder(ops::CScope::kUserDesktop + nAllUsers, FALSE);
    *pnGroup = m_journal.EnterLinkFolder(ops::CScope::kUserGroup + nAllUsers, TRUE);
    BOOL bRecorded = TRUE;
    for (int i = 0; i < kShortcutCount; ++i) {
        const int nPlace = kShortcutTable[i].bDesktop ? *pnDesktop : *pnGroup;
        BOOL bAside;
        if (nPlace != ops::CJournal::kNoPlace)
            bRecorded &= m_journal.WillWrite(nPlace, ops::LinkName(i), &bAside);
    }
    return bRecorded;
}

BOOL CInstallFlow::WriteRegistry()
{
    Status(kStatusRegistry);
    // From here the product's keys are this run's; the maker's key is too when it
    // is not there yet. Product keys still there at the first attempt (the removal
    // could not take them, or they came since) are kept first.
    if (!Recorded(m_journal.WillWriteProductKeys() && m_journal.Flush()))
        return FALSE;
    // The uninstall entry names the installer's copy, kept like a file of the installation.
    const CString strCopy = InstallerCopyPath(m_journal);
    if (!m_bCopyInPlace && !KeepInstallerCopy(m_journal, strCopy)) {
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

void CInstallFlow::Complete(int nSite)
{
    m_journal.UndoOtherSites(nSite);
    if (!m_view.IsCancelPending()) {
        // Completed once the disk says so: what was set aside goes, before the offer
        // to start the product. A completion the disk does not take is a failure,
        // undone with the rest when the flow ends, never later by the next run.
        if (!Recorded(m_journal.Complete()))
            return;
        m_journal.Settle();
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
