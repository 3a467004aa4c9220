// CInstallerDlg: the installer's main dialog, a view of the install flow. It holds
// the target directory field, shows one status line, and offers Browse, Install and
// Cancel; the flow (install/) runs the opening, the sequence and the rollback for it
// and raises their boxes over it. The dialog performs no operation of its own.
#pragma once
#include "afx.h"
#include "install_flow.h"

class CInstallerDlg : public CDialog, public CInstallView {
    DECLARE_MESSAGE_MAP()
public:
    CInstallerDlg(const CRunOptions& options, const ops::CScope& scope, CWnd* pParent);

    BOOL m_bCancelPending;     // from the Cancel handler's start until its question is declined
    CString m_strAppName;      // "Merolin"
    CString m_strTargetDir;    // bound to IDC_TARGET_DIR
    CString m_strStatus;       // bound to IDC_STATUS
    HICON m_hIcon;             // IDR_MAINFRAME

    // How the run ended, once the dialog has.
    RunOutcome Outcome() const { return m_flow.Outcome(); }

    // The status line
    virtual void SetStatus(const char* pszText);

    // The buttons
    void OnInstall();
    void OnCancelInstall() { m_flow.Cancel(); }

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
