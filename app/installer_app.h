// CInstallerApp: the application object. InitApplication reads the command line and
// runs the start-up gate, InitInstance runs the installer dialog, or in a silent run
// the installation without any window, or the removal. Whatever ends the run hands
// its outcome here, and ExitInstance, the one way out of the process, turns it into
// the exit code.
#pragma once
#include "afx.h"
#include "command_line.h"
#include "outcome.h"
#include "scope.h"

class CBackdropDlg;

class CInstallerApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    CInstallerApp();
    ~CInstallerApp();
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
    // Whom the run installs for, made once from the options as the gate reads them
    // and handed down (the machine until then).
    ops::CScope m_scope;

private:
    // The command line, the rights and the log: FALSE, with the outcome, when the run
    // ends before it begins (a bad command line, the usage, a run started again with
    // administrator rights, or none to be had).
    BOOL StartRun();
    // Whether a run for the machine has administrator rights; without them it runs
    // again through the system's prompt and takes that run's outcome, or ends with
    // kOutcomeNoRights (kOutcomeUserEnded when the prompt is declined).
    BOOL HasMachineRights();
    // The payload check, the version library and the screens; FALSE, with the outcome,
    // when the installation cannot go on.
    BOOL PrepareInstall();
    // The payload check: FALSE, after saying which resource, when one is missing or damaged.
    BOOL PayloadWhole();
    // The running-product check: FALSE when Merolin runs on, or the user ended the run.
    BOOL CloseRunningProduct();
};
