#include "installer_dlg.h"
#include "shell_folders.h"
#include "path.h"
#include "target_dir.h"

BEGIN_MESSAGE_MAP(CInstallerDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_EN_CHANGE(IDC_TARGET_DIR, OnChangeTargetDir)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_CANCEL_BTN, OnCancelInstall)
    ON_BN_CLICKED(IDC_INSTALL, OnInstall)
END_MESSAGE_MAP()

CInstallerDlg::CInstallerDlg(const CRunOptions& options, const ops::CScope& scope, CWnd* pParent)
    : CDialog(IDD_INSTALLER, pParent), m_bCancelPending(FALSE), m_bClosePending(FALSE), m_flow(*this, options, scope)
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
    SetWindowText(kInstallerTitle);
    // The probes belong to the install flow, and their boxes come before the dialog:
    // it shows only once they are done (its template is not visible), and never when the
    // flow cannot go on.
    if (!m_flow.Open()) {
        EndDialog(IDCANCEL);
        return FALSE;
    }
    ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

void CInstallerDlg::OnInstall()
{
    m_flow.Install();
    // A close request that came while one of the sequence's boxes was open is
    // handled now that the sequence has stopped, if the dialog is still there.
    if (m_bClosePending && ::IsWindowVisible(m_hWnd)) {
        m_bClosePending = FALSE;
        OnCancel();
    }
}

void CInstallerDlg::OnCancel()
{
    if (m_flow.IsInstalling()) {
        m_bClosePending = TRUE;
        return;
    }
    // Once an attempt has written anything, leaving is a cancel with its rollback;
    // before that, the dialog simply ends.
    if (AnyProgressFlagSet())
        OnCancelInstall();
    else
        CDialog::OnCancel();
}

void CInstallerDlg::EndCancelled()
{
    // Both, in this order: the framework's own cancel handling runs last, so the
    // modal run ends with IDCANCEL, as it would after Esc.
    EndDialog(0);
    CDialog::OnCancel();
}

void CInstallerDlg::SetTargetDir(const CString& strDir)
{
    m_strTargetDir = strDir;
    SetDlgItemText(IDC_TARGET_DIR, m_strTargetDir);
}

void CInstallerDlg::SetStatus(const char* pszText)
{
    m_strStatus = pszText;
    SetDlgItemText(IDC_STATUS, m_strStatus);
}

void CInstallerDlg::OnChangeTargetDir() { UpdateData(TRUE); }

void CInstallerDlg::OnBrowse()
{
    char szPath[MAX_PATH];
    szPath[0] = '\0';
    BROWSEINFOA bi;
    bi.hwndOwner = CWnd::GetSafeHwnd(AfxGetMainWnd());
    bi.pidlRoot = NULL;
    bi.pszDisplayName = szPath;
    bi.lpszTitle = kBrowseTitle;
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    bi.lpfn = NULL;
    bi.lParam = 0;
    bi.iImage = 0;
    PIDLIST_ABSOLUTE pidl = sys::SHBrowseForFolderA(&bi);
    if (!pidl)
        return;  // the user cancelled
    CString strPath;
    BOOL bHavePath = ops::PathFromItemList(pidl, strPath);
    ::CoTaskMemFree(pidl);
    if (!bHavePath)
        return;

    // A folder that does not name the product gets a product folder of its own.
    if (strPath.Find(m_strAppName) < 0) {
        if (!ops::EndsWithSeparator(strPath))
            strPath += "\\";
        strPath += kProductName;
    }
    m_strTargetDir = strPath;
    SetDlgItemText(IDC_TARGET_DIR, m_strTargetDir);
}

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
