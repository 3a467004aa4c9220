// The opening of an installation, before Install: the proposed target directory,
// the program group, COM (which the shortcuts need), and the search for a previous
// installation, removed once the user agrees to overwrite it.
#include "install_flow.h"
#include "install_log.h"
#include "previous_install.h"
#include "registry.h"
#include "report.h"
#include "file_probe.h"
#include "target_dir.h"
#include "shell_folders.h"
#include "path.h"

void CInstallFlow::ProposeDirectories()
{
    // The proposed target directory: the scope's (Program Files, or the user's
    // programs folder), else the fixed default.
    g_strInstallDir = Scope().DefaultDirectory();
    m_view.SetTargetDir(g_strInstallDir);

    // The program group: the Programs folder of the start menu, else the fixed
    // default (which gets no product folder): all users' folder, where the system has
    // one, when the options say the links are for the machine; else the user's (always
    // for a run for the user).
    g_strStartMenuDir = Scope().LinkFolder(m_options.m_bAllUsers ? ops::CScope::kAllUsersGroup : ops::CScope::kUserGroup);
}

BOOL CInstallFlow::Open()
{
    Status(kStatusCheckingSystem);
    ProposeDirectories();

    // The shortcuts are made through COM later on. Any success counts: S_FALSE says
    // COM was already started on this thread, and is balanced by its own
    // CoUninitialize like S_OK.
    if (FAILED(sys::CoInitialize(NULL))) {
        Box(kNoComText, kErrorCaption, MB_ICONEXCLAMATION, kBoxFatal);
        m_outcome = kOutcomeFailed;
        return FALSE;
    }
    m_bComStarted = TRUE;

    Status(kStatusCheckingPrevious);
    const BOOL bPrevious = DetectPreviousInstall();
    if (EndIfProgramRunsThere())
        return FALSE;
    if (bPrevious) {
        if (EndIfNewerInstalled())
            return FALSE;
        if (Box(kOverwriteQuestion, kOverwriteCaption, MB_YESNO | MB_ICONEXCLAMATION, kBoxQuestion) != IDYES)
            return FALSE;  // the user ended the run
        // What the removal takes is set aside, not deleted, until the run has completed.
        // (Without a previous installation the journal starts with the install.)
        if (!StartJournal())
            return FALSE;
        // Nobody can choose another directory in a silent run: one that cannot take
        // the new installation must be known before the previous one goes.
        const CString& strChosenDir = m_options.m_strTargetDir;
        if (m_options.m_bSilent && !CheckTargetFirst(strChosenDir.IsEmpty() ? g_strInstallDir : strChosenDir)) {
            m_outcome = kOutcomeFailed;
            return FALSE;
        }
        Status(kStatusRemovingPrevious);
        if (!Recorded(ops::SetPreviousInstallAside(m_journal, g_strInstallDir)))
            return FALSE;
    }

    // The previous installation's files went from where it was; the new one goes
    // where the command line says, if it says.
    if (!m_options.m_strTargetDir.IsEmpty()) {
        g_strInstallDir = m_options.m_strTargetDir;
        m_view.SetTargetDir(g_strInstallDir);
    }

    CString strSpace;
    strSpace.Format(kStatusFreeSpace, kRequiredFreeKb);
    Status(strSpace);
    return TRUE;
}

CInstallFlow::~CInstallFlow()
{
    if (m_journal.IsActive())
        m_journal.Settle();
    if (m_bComStarted)
        ::CoUninitialize();
}

BOOL CInstallFlow::CheckTargetFirst(const CString& strDir)
{
    if (!ops::IsAcceptableTarget(strDir)) {
        ops::ReportError(m_view.BoxOwner(), kInvalidPathText);
        return FALSE;
    }
    // A file where a directory of the path must go: the directory stage could not
    // make it, and says so in these words.
    for (ops::CPathWalk walk(strDir, 3); walk.Next();) {
        struct _finddata_t fd;
        if (ops::ProbePath(walk.Head(), &fd) && !(fd.attrib & _A_SUBDIR)) {
            ops::ReportError(m_view.BoxOwner(), kDirectoryErrorText + walk.Head());
            return FALSE;
        }
    }
    // A directory that is not one the run may use (behind a reparse point, below a
    // folder that others may swap names in) is refused as one the install could not
    // take; one there that others may change is taken over first.
    if (!ops::CheckTargetDrive(m_view.BoxOwner(), strDir))
        return FALSE;
    if (m_journal.EnterSite(strDir, TRUE) != ops::CJournal::kNoPlace)
        return TRUE;
    ops::ReportError(m_view.BoxOwner(), kInvalidPathText);
    return FALSE;
}

BOOL CInstallFlow::DetectPreviousInstall()
{
    BOOL bPathRead;
    BOOL bFound = ops::DetectPreviousInstall(Scope(), g_strInstallDir, g_strStartMenuDir, &bPathRead);
    // Its choices hold for this run too, before its keys go.
    m_bNoDesktop |= ops::ReadChoice(Scope(), kNoDesktopValue);
    if (bPathRead)
        m_view.SetTargetDir(g_strInstallDir);
    return bFound;
}

BOOL CInstallFlow::StartJournal()
{
    if (m_journal.Start())
        return TRUE;
    ShowError(kNoRecordText + m_journal.FilePath(), kBoxFatal);
    m_outcome = kOutcomeFailed;
    return FALSE;
}

BOOL CInstallFlow::Recorded(BOOL bDone)
{
    if (!bDone) {
        ShowError(kWriteErrorText, kBoxFatal);
        m_outcome = kOutcomeFailed;
    }
    return bDone;
}
