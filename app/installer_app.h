// CInstallerApp: the application object. InitApplication runs the start-up gate,
// InitInstance runs the installer dialog.
#pragma once
#include "afx.h"

class CBackdropDlg;

class CInstallerApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    CInstallerApp();
    virtual ~CInstallerApp();
    virtual BOOL InitInstance();
    virtual BOOL InitApplication();

    CBackdropDlg* m_pBackdrop;  // created by the gate, never deleted
};
