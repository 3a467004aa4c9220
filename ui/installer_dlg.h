// CInstallerDlg: the installer's main dialog. It holds the target directory, shows
// one status line, and offers Install and Cancel. The install sequence and the
// rollback (install/) run for it as their view; the installation operations (ops/)
// are named here by one-line members, so that each is found under its name.
#pragma once
#include "afx.h"
#include "install_flow.h"
#include "payload.h"
#include "previous_install.h"
#include "registry.h"
#include "shortcuts.h"
#include "target_dir.h"

class CInstallerDlg : public CDialog, public CInstallView {
    DECLARE_MESSAGE_MAP()
public:
    explicit CInstallerDlg(CWnd* pParent = NULL);

    BOOL m_bCancelPending;     // from the Cancel handler's start until its question is declined
    CString m_strAppName;      // "Merolin"
    CString m_strTargetDir;    // bound to IDC_TARGET_DIR
    CString m_strStatus;       // bound to IDC_STATUS
    HICON m_hIcon;             // IDR_MAINFRAME
    CString m_strChosenDir;    // the directory given on the command line; empty: none

    // Reporting
    void SetStatus(const char* pszText);
    void ReportError(BOOL bAbort, const CString& strText);

    // Install sequence and rollback
    void OnInstall();
    void OnCancelInstall() { m_flow.Cancel(); }
    void DeleteInstalledFile(const char* pszName) { m_flow.DeleteInstalledFile(pszName); }
    void RemoveInstallDirectory(CString strPath) { m_flow.RemoveInstallDirectory(strPath); }

    // Installation operations; each reports its own failures in boxes of this dialog.
    BOOL CreateTargetDirectory(CString strPath) { return ops::CreateTargetDirectory(m_hWnd, strPath); }
    BOOL ExtractPayloadFile(UINT nResourceId, const char* pszFileName)
    {
        return ops::ExtractPayloadFile(m_hWnd, nResourceId, pszFileName);
    }
    BOOL CreateShortcut(CString strBaseName, CString strExtension, const char* pszTitle, BOOL bDesktop)
    {
        return ops::CreateShortcut(m_hWnd, m_strTargetDir, g_strStartMenuDir, strBaseName, strExtension, pszTitle,
                                   bDesktop);
    }
    void DeleteShortcut(CString strTitle, BOOL bDesktop) { ops::DeleteShortcut(g_strStartMenuDir, strTitle, bDesktop); }
    BOOL WriteRegistryEntries() { return ops::WriteRegistryEntries(m_strTargetDir); }
    // A "Path" read from the previous installation becomes the proposed directory.
    BOOL DetectPreviousInstall(BOOL bRemove) { return m_flow.DetectPreviousInstall(bRemove); }

    // Dialog
    virtual BOOL OnInitDialog();
    // Esc and the close box.
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnChangeTargetDir();
    void OnBrowse();

private:
    // The view that the install flow drives.
    virtual HWND BoxOwner() { return m_hWnd; }
    virtual CString TargetDir() { return m_strTargetDir; }
    virtual void SetTargetDir(const CString& strDir);
    virtual BOOL IsCancelPending() { return m_bCancelPending; }
    virtual void SetCancelPending(BOOL bPending) { m_bCancelPending = bPending; }
    virtual void Hide() { ShowWindow(SW_HIDE); }
    virtual void EndInstalled() { EndDialog(0); }
    virtual void EndCancelled();

    BOOL m_bClosePending;  // Esc or the close box came while the install sequence ran
    CInstallFlow m_flow;
};
