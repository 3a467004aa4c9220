#include "elevation.h"
#include "manifest.h"

BOOL RunElevated(const char* pszArguments, BOOL bSilent, RunOutcome* pOutcome)
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
    if (!nSelf || nSelf >= MAX_PATH || !sys::ShellExecuteExA(&run) || !run.hProcess) {
        *pOutcome = ::GetLastError() == ERROR_CANCELLED ? kOutcomeUserEnded : kOutcomeNoRights;
        return FALSE;
    }
    CHandle process(run.hProcess);
    DWORD dwExit;
    *pOutcome = sys::WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && sys::GetExitCodeProcess(process, &dwExit)
                    ? (RunOutcome)dwExit
                    : kOutcomeFailed;
    return TRUE;
}
