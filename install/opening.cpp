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
    g_strStartMenuDir = kDefaultStartMenuDir;
    CString strPrograms;
    if (Scope().LinkFolder(m_options.m_bAllUsers, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, strPrograms))
        g_strStartMenuDir = strPrograms + kProductFolderSuffix;
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
        // Nobody can choose another directory in a silent run: one that cannot take
        // the new installation must be known before the previous one goes.
        const CString& strChosenDir = m_options.m_strTargetDir;
        if (m_options.m_bSilent && !CheckTargetFirst(strChosenDir.IsEmpty() ? g_strInstallDir : strChosenDir)) {
            m_outcome = kOutcomeFailed;
            return FALSE;
        }
    }
    // What the removal takes is set aside, not deleted, until the run has completed.
    // (Without a previous installation the record starts with the install.)
    if (bPrevious) {
        if (!StartRecord())
            return FALSE;
        Status(kStatusRemovingPrevious);
        if (!Recorded(ops::SetPreviousInstallAside(m_runRecord, g_strInstallDir, g_strStartMenuDir)))
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
    if (m_runRecord.IsActive())
        SettleRecord(m_runRecord);
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
    for (const char* p = (const char*)strDir + 3;; p = AfxNextChar(p)) {
        if (*p == '\\' || !*p) {
            const CString strAbove(strDir, (int)(p - (const char*)strDir));
            struct _finddata_t fd;
            if (ops::ProbePath(strAbove, &fd) && !(fd.attrib & _A_SUBDIR)) {
                ops::ReportError(m_view.BoxOwner(), kDirectoryErrorText + strAbove);
                return FALSE;
            }
            if (!*p)
                break;
        }
    }
    return ops::CheckTargetDrive(m_view.BoxOwner(), strDir);
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

BOOL CInstallFlow::StartRecord()
{
    const BOOL bCreated = m_runRecord.Create();
    if (!m_runRecord.Refused().IsEmpty())
        g_installLog.Write(kLogNotOwnPlace, m_runRecord.Refused());
    if (bCreated)
        return TRUE;
    const CString strPath = m_runRecord.FilePath().IsEmpty() ? ops::CRecordFile::Path(Scope()) : m_runRecord.FilePath();
    m_runRecord.Close(FALSE);
    ShowError(kNoRecordText + strPath, kBoxFatal);
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

void CInstallFlow::RecordMissingChain(const CString& strDir)
{
    if (strDir.GetLength() < 3 || strDir.GetAt(1) != ':')
        return;  // no path of a drive: the directory stage refuses it
    for (const char* p = (const char*)strDir + 3;; ++p) {
        p = ops::NextSeparator(p);
        const CString strAbove(strDir, (int)(p - (const char*)strDir));
        if (!ops::IsDirectory(strAbove))
            m_runRecord.Add(ops::CRecordFile::kMadeDirectory, ops::FullPath(strAbove));
        if (!*p)
            return;
    }
}


