#include "installer_app.h"
#include "installer_dlg.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CInstallerApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CInstallerApp::CInstallerApp() : m_pBackdrop(NULL) {}

CInstallerApp::~CInstallerApp() {}

BOOL CInstallerApp::InitApplication()
{
    return CWinApp::InitApplication();
}

BOOL CInstallerApp::InitInstance()
{
    Enable3dControlsStatic();
    CInstallerDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
}
