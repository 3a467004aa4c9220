#include "installer_dlg.h"
#include "manifest.h"
#include "resource.h"
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

namespace {

// The system's program-files folder, from the registry; FALSE when it cannot be
// read or is not a string.
BOOL ReadProgramFilesDir(CString& strDir)
{
    HKEY hKey;
    if (sys::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWindowsCurrentVersionKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    DWORD dwType;
    BOOL bRead = ReadRegistryText(hKey, kProgramFilesDirValue, strDir, &dwType);
    sys::RegCloseKey(hKey);
    return bRead && dwType == REG_SZ;
}

// The path of a shell item list; FALSE when it has none in the file system.
BOOL PathFromItemList(PCIDLIST_ABSOLUTE pidl, CString& strPath)
{
    char szPath[MAX_PATH];
    if (!sys::SHGetPathFromIDListA(pidl, szPath))
        return FALSE;
    szPath[MAX_PATH - 1] = '\0';
    strPath = szPath;
    return TRUE;
}

} // namespace

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
    if (ReadProgramFilesDir(strProgramFiles))
        g_strInstallDir = strProgramFiles + kProductFolderSuffix;
    m_strTargetDir = g_strInstallDir;
    SetDlgItemText(IDC_TARGET_DIR, m_strTargetDir);

    // The program group: the user's Programs folder of the start menu, else the
    // fixed default (which gets no product folder).
    g_strStartMenuDir = kDefaultStartMenuDir;
    PIDLIST_ABSOLUTE pidlPrograms = NULL;
    if (sys::SHGetSpecialFolderLocation(NULL, CSIDL_PROGRAMS, &pidlPrograms) == S_OK) {
        CString strPrograms;
        if (PathFromItemList(pidlPrograms, strPrograms))
            g_strStartMenuDir = strPrograms + kProductFolderSuffix;
        ::CoTaskMemFree(pidlPrograms);
    }

    // The shortcuts are made through COM later on.
    if (sys::CoInitialize(NULL) != S_OK) {
        ReportError(TRUE, "Can't initialize Component Object Module");
        EndDialog(IDCANCEL);
        return FALSE;
    }

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
    BOOL bHavePath = PathFromItemList(pidl, strPath);
    ::CoTaskMemFree(pidl);
    if (!bHavePath)
        return;

    // A folder that does not name the product gets a product folder of its own.
    if (strPath.Find(m_strAppName) < 0) {
        if (strPath.Right(1) != "\\")
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
