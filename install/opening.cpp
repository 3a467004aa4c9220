// The opening of an installation, before Install: the proposed target directory,
// the program group, COM (which the shortcuts need), and the search for a previous
// installation, removed once the user agrees to overwrite it.
#include "install_flow.h"
#include "previous_install.h"
#include "registry.h"
#include "shell_folders.h"
#include <stdlib.h>

BOOL CInstallFlow::Open(const CString& strChosenDir)
{
    Status("Stand by:\r\nChecking system parameters...");

    // The proposed target directory: the system's program-files folder, else the
    // fixed default.
    g_strInstallDir = kDefaultInstallDir;
    CString strProgramFiles;
    if (ops::ReadProgramFilesDir(strProgramFiles))
        g_strInstallDir = strProgramFiles + kProductFolderSuffix;
    m_view.SetTargetDir(g_strInstallDir);

    // The program group: the user's Programs folder of the start menu, else the
    // fixed default (which gets no product folder).
    g_strStartMenuDir = kDefaultStartMenuDir;
    CString strPrograms;
    if (ops::ShellFolderPath(CSIDL_PROGRAMS, strPrograms))
        g_strStartMenuDir = strPrograms + kProductFolderSuffix;

    // The shortcuts are made through COM later on. Any success counts: S_FALSE says
    // COM was already started on this thread, and is balanced by its own
    // CoUninitialize like S_OK.
    if (FAILED(sys::CoInitialize(NULL))) {
        Box("Can't initialize Component Object Module - aborting installation", kErrorCaption, MB_ICONEXCLAMATION);
        return FALSE;
    }
    m_bComStarted = TRUE;

    Status("Stand by:\r\nChecking for previous installations...");
    if (DetectPreviousInstall(FALSE)) {
        CString strQuestion = "This will overwrite any previous installation:\r\n\r\n";
        strQuestion += "Are you sure you want to continue installing Merolin?";
        if (Box(strQuestion, "Note", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            exit(0);
        Status("Removing previous versions...");
        DetectPreviousInstall(TRUE);
    }

    // The previous installation's files went from where it was; the new one goes
    // where the command line says, if it says.
    if (!strChosenDir.IsEmpty()) {
        g_strInstallDir = strChosenDir;
        m_view.SetTargetDir(strChosenDir);
    }

    CString strSpace;
    strSpace.Format("To install Merolin, at least\r\n%d Kb of free disk space is required.", kRequiredFreeKb);
    Status(strSpace);
    return TRUE;
}

CInstallFlow::~CInstallFlow()
{
    if (m_bComStarted)
        ::CoUninitialize();
}

BOOL CInstallFlow::DetectPreviousInstall(BOOL bRemove)
{
    BOOL bPathRead;
    BOOL bFound = ops::DetectPreviousInstall(bRemove, g_strInstallDir, g_strStartMenuDir, &bPathRead);
    if (bPathRead)
        m_view.SetTargetDir(g_strInstallDir);
    return bFound;
}
