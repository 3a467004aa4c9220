// A Merolin (or its uninstaller) that runs from the previous installation's directory
// or from the chosen one keeps its program file: the removal of the previous
// installation would delete its keys and the rest of its files, and the install would
// then fail on that one file, leaving neither installation. So before anything is
// removed or written, a process of any session that runs from there ends the run as a
// product that did not close ends it.
#include "install_flow.h"
#include "install_log.h"
#include "running_programs.h"

BOOL CInstallFlow::EndIfProgramRunsThere()
{
    const char* const dirs[] = { g_strInstallDir, m_options.m_strTargetDir };
    DWORD nProcessId;
    CString strProgram;
    if (!ops::FindProgramRunningIn(dirs, ARRAYSIZE(dirs), &nProcessId, strProgram))
        return FALSE;
    CString strLine;
    strLine.Format(kLogProgramRunning, (const char*)strProgram, nProcessId);
    g_installLog.Write(strLine);
    Box(kStillRunningText, kInstallCaption, MB_ICONINFORMATION, kBoxNotice);
    m_outcome = kOutcomeProductRunning;
    return TRUE;
}
