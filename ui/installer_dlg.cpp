#include "installer_dlg.h"
#include "manifest.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CInstallerDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_EN_CHANGE(IDC_TARGET_DIR, OnChangeTargetDir)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_CANCEL_BTN, OnCancelInstall)
    ON_BN_CLICKED(IDC_INSTALL, OnInstall)
END_MESSAGE_MAP()

CInstallerDlg::CInstallerDlg(CWnd* pParent)
    : CDialog(IDD_INSTALLER, pParent), m_bCancelPending(FALSE)
{
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

void CInstallerDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_TARGET_DIR, m_strTargetDir);
    DDX_Text(pDX, IDC_STATUS, m_strStatus);
}

BOOL CInstallerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);
    m_strAppName = kProductName;
    m_bCancelPending = FALSE;
    SetWindowText(CString("Tolvane Software - Install ") + kDisplayName);
    return TRUE;
}

void CInstallerDlg::SetStatus(const char* pszText)
{
    m_strStatus = pszText;
    SetDlgItemText(IDC_STATUS, m_strStatus);
}

void CInstallerDlg::ReportError(BOOL bAbort, const CString& strText)
{
    if (bAbort)
        MessageBox(strText + " - aborting installation", kErrorCaption, MB_ICONEXCLAMATION);
    else
        MessageBox(strText, kErrorCaption, MB_ICONINFORMATION);
}

void CInstallerDlg::OnChangeTargetDir() { UpdateData(TRUE); }

void CInstallerDlg::OnBrowse() {}

void CInstallerDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, (WPARAM)dc.GetSafeHdc(), 0);
    RECT rc;
    GetClientRect(&rc);
    int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CInstallerDlg::OnQueryDragIcon() { return (HCURSOR)m_hIcon; }
