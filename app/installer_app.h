// CInstallerApp: the application object. InitApplication reads the command line and
// runs the start-up gate, InitInstance runs the installer dialog, or in a silent run
// the installation without any window, or the removal. Whatever ends the run hands
// its outcome here, and ExitInstance, the one way out of the process, turns it into
// the exit code.
#pragma once
#include "afx.h"
#include "command_line.h"
#include "outcome.h"

class CBackdropDlg;

class CInstallerApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    CInstallerApp();
    virtual ~CInstallerApp();
    virtual BOOL InitInstance();
    // FALSE when the gate ended the run (m_outcome says how).
    virtual BOOL InitApplication();
    // The exit code of m_outcome, logged.
    virtual int ExitInstance();
    // The gate's screens: backdrop, welcome, licence; FALSE when one is not accepted.
    BOOL PassScreens();

    CBackdropDlg* m_pBackdrop;  // created by the gate, never deleted
    CCommandLine m_cmdLine;
    RunOutcome m_outcome;
    HANDLE m_hInstallerMutex;   // held until the process ends; NULL: none

private:
    // The payload check: FALSE, after saying which resource, when one is missing or damaged.
    BOOL PayloadWhole();
    // The running-product check: FALSE when Merolin runs on, or the user ended the run.
    BOOL CloseRunningProduct();
};
