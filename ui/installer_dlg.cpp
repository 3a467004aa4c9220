#include "installer_dlg.h"
#include "shell_folders.h"
#include <stdlib.h>

BEGIN_MESSAGE_MAP(CInstallerDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_EN_CHANGE(IDC_TARGET_DIR, OnChangeTargetDir)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_CANCEL_BTN, OnCancelInstall)
    ON_BN_CLICKED(IDC_INSTALL, OnInstall)
END_MESSAGE_MAP()

CInstallerDlg::CInstallerDlg(CWnd* pParent)
    : CDialog(IDD_INSTALLER, pParent), m_bCancelPending(FALSE), m_bComStarted(FALSE), m_bClosePending(FALSE),
      m_flow(*this)
{
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CInstallerDlg::~CInstallerDlg()
{
    if (m_bComStarted)
        ::CoUninitialize();
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
    SetWindowText(CString(kMaker) + " - Install " + kDisplayName);
    SetStatus("Stand by:\r\nChecking system parameters...");

    // The proposed target directory: the system's program-files folder, else the
    // fixed default.
    g_strInstallDir = kDefaultInstallDir;
    CString strProgramFiles;
    if (ops::ReadProgramFilesDir(strProgramFiles))
        g_strInstallDir = strProgramFiles + kProductFolderSuffix;
    m_strTargetDir = g_strInstallDir;
    SetDlgItemText(IDC_TARGET_DIR, m_strTargetDir);

    // The program group: the user's Programs folder of the start menu, else the
    // fixed default (which gets no product folder).
    g_strStartMenuDir = kDefaultStartMenuDir;
    CString strPrograms;
    if (ops::ShellFolderPath(CSIDL_PROGRAMS, strPrograms))
        g_strStartMenuDir = strPrograms + kProductFolderSuffix;

    // The shortcuts are made through COM later on.
    // Any success counts: S_FALSE says COM was already started on this thread, and
    // is balanced by its own CoUninitialize like S_OK.
    if (FAILED(sys::CoInitialize(NULL))) {
        ReportError(TRUE, "Can't initialize Component Object Module");
        EndDialog(IDCANCEL);
        return FALSE;
    }
    m_bComStarted = TRUE;

    SetStatus("Stand by:\r\nChecking for previous installations...");
    if (DetectPreviousInstall(FALSE)) {
        CString strQuestion = "This will overwrite any previous installation:\r\n\r\n";
        strQuestion += "Are you sure you want to continue installing Merolin?";
        if (MessageBox(strQuestion, "Note", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            exit(0);
        SetStatus("Removing previous versions...");
        DetectPreviousInstall(TRUE);
    }

    m_strStatus.Format("To install Merolin, at least\r\n%d Kb of free disk space is required.", kRequiredFreeKb);
    SetDlgItemText(IDC_STATUS, m_strStatus);
    return TRUE;
}

BOOL CInstallerDlg::DetectPreviousInstall(BOOL bRemove)
{
    BOOL bPathRead;
    BOOL bFound = ops::DetectPreviousInstall(bRemove, g_strInstallDir, g_strStartMenuDir, &bPathRead);
    if (bPathRead) {
        m_strTargetDir = g_strInstallDir;
        UpdateData(FALSE);
    }
    return bFound;
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

void CInstallerDlg::OnBrowse()
{
    char szPath[MAX_PATH];
    szPath[0] = '\0';
    BROWSEINFOA bi;
    bi.hwndOwner = CWnd::GetSafeHwnd(AfxGetMainWnd());
    bi.pidlRoot = NULL;
    bi.pszDisplayName = szPath;
    bi.lpszTitle = "Merolin Installation Folder";
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
