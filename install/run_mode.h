// How this run goes, decided once at its start: with its windows or silent, with or
// without a log. Every message box passes through here on its way to the user: it
// is logged with the answer taken. In a silent run it is answered here instead, as
// an administrator deploying the product would: go on wherever a box asks, but do
// not start the product at the end.
#pragma once
#include "install_log.h"

// Exit codes of a silent run. A run with windows ends with 0 on every path.
enum {
    kExitInstalled = 0,
    kExitProductRunning = 1,  // not installed: the product kept running
    kExitFailed = 2,          // failed, and nothing of this run left behind
    kExitBadCommandLine = 3,
};

// Starts the run: silent or not, and the log file (empty: none), whose first line
// names the command line's arguments.
void BeginRun(BOOL bSilent, const CString& strLogFile, const char* pszArguments);
BOOL IsSilentRun();
// TRUE once an error box has passed in a silent run: the run has failed.
BOOL SilentRunFailed();
// Ends the process: with nSilentCode in a silent run, with 0 otherwise.
[[noreturn]] void EndRun(int nSilentCode);
