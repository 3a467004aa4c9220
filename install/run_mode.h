// How this run goes, decided once at its start: with its windows or silent, with or
// without a log. Every message box passes through here on its way to the user: it
// is logged with the answer taken. In a silent run it is answered here instead, by
// its kind, as an administrator deploying the product would: go on wherever a box
// asks, decline what is offered beyond the installation (the product's start).
#pragma once
#include "install_log.h"
#include "run_options.h"

// Starts the run as its options say: silent or not, and the log file (if any), whose
// first line names the command line's arguments (bBadCommandLine: as refused). The
// answerer of the boxes keeps the mode it was installed with. FALSE when the log may
// not be written to (CInstallLog::Open): the command line is then as bad as one with a
// switch the installer does not know, and nothing is logged.
BOOL BeginRun(const CRunOptions& options, const char* pszArguments, BOOL bBadCommandLine = FALSE);
// TRUE once an error box, of either kind, has passed in a silent run: the run has failed.
BOOL SilentRunFailed();
// The log's last line.
void LogExitCode(int nExitCode);
