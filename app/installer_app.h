// CInstallerApp: the application object. InitApplication reads the command line and
// runs the start-up gate, InitInstance runs the installer dialog, or in a silent run
// the installation without any window.
#pragma once
#include "afx.h"
#include "command_line.h"

class CBackdropDlg;

class CInstallerApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    CInstallerApp();
    virtual ~CInstallerApp();
    virtual BOOL InitInstance();
    virtual BOOL InitApplication();
    // The gate's screens: backdrop, welcome, licence.
    void PassScreens();

    CBackdropDlg* m_pBackdrop;  // created by the gate, never deleted
    CCommandLine m_cmdLine;
};
