#include "elevation.h"
#include "install_log.h"
#include "own_folder.h"

BOOL LacksRights()
{
    TOKEN_ELEVATION elevation;
    return ops::ProcessTokenInformation(TokenElevation, &elevation, sizeof elevation) && !elevation.TokenIsElevated;
}

RunOutcome RunElevated(const char* pszArguments, BOOL bSilent)
{
    char szSelf[MAX_PATH];
    const DWORD nSelf = sys::GetModuleFileNameA(NULL, szSelf, MAX_PATH);
    // The marker first: the directory of /D= must stay the last argument.
    const CString strArguments = CString(kRelaunchSwitch) + " " + pszArguments;
    SHELLEXECUTEINFOA run = {};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | (bSilent ? SEE_MASK_FLAG_NO_UI : 0);
    run.lpVerb = "runas";
    run.lpFile = szSelf;
    run.lpParameters = strArguments;
    run.nShow = SW_SHOWNORMAL;
    g_installLog.Write(kLogAskingRights);
    if (!nSelf || nSelf >= MAX_PATH || !sys::ShellExecuteExA(&run) || !run.hProcess) {
        if (::GetLastError() == ERROR_CANCELLED)
            return kOutcomeUserEnded;
        g_installLog.Write(kLogNoRights);
        return kOutcomeNoRights;
    }
    CHandle process(run.hProcess);
    DWORD dwExit;
    if (sys::WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 || !sys::GetExitCodeProcess(process, &dwExit))
        return kOutcomeFailed;
    return (RunOutcome)dwExit;
}
