// CInstallerDlg: the installer's main dialog. It holds the target directory, shows
// one status line, and offers Install and Cancel. The install sequence, the
// rollback and the installation operations are members too; their bodies live in
// install/ and ops/.
#pragma once
#include "afx.h"

class CInstallerDlg : public CDialog {
    DECLARE_MESSAGE_MAP()
public:
    explicit CInstallerDlg(CWnd* pParent = NULL);

    BOOL m_bCancelPending;     // from the Cancel handler's start until its question is declined
    CString m_strAppName;      // "Merolin"
    CString m_strTargetDir;    // bound to IDC_TARGET_DIR
    CString m_strStatus;       // bound to IDC_STATUS
    HICON m_hIcon;             // IDR_MAINFRAME

    // Reporting (ui/installer_dlg.cpp)
    void SetStatus(const char* pszText);
    void ReportError(BOOL bAbort, const CString& strText);

    // Install sequence and rollback (install/)
    void OnInstall();
    void OnCancelInstall();
    void DeleteInstalledFile(const char* pszName);
    void RemoveInstallDirectory(CString strPath);

    // Installation operations (ops/); each reports its own failures.
    BOOL CreateTargetDirectory(CString strPath);
    BOOL ExtractPayloadFile(UINT nResourceId, const char* pszFileName);
    BOOL CreateShortcut(CString strBaseName, CString strExtension, const char* pszTitle, BOOL bDesktop);
    void DeleteShortcut(CString strTitle, BOOL bDesktop);
    BOOL WriteRegistryEntries();
    BOOL DetectPreviousInstall(BOOL bRemove);

    // Dialog
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnChangeTargetDir();
    void OnBrowse();

private:
    // Where this dialog's installs wrote (install/install_sequence.cpp): each directory
    // that the directory stage entered, with what was installed there. The rollback
    // cleans these directories and no other, whatever the field shows by then.
    class CInstallSites {
    public:
        enum { kDirectory = 1 };  // then one bit per payload row: 2 << row
        struct Site {
            CString strDir;
            int nDone;
            Site* pNext;
        };
        CInstallSites() : m_pFirst(NULL) {}
        ~CInstallSites();
        Site* Enter(const CString& strDir);  // the site of that directory, added when new
        Site* First() const { return m_pFirst; }

    private:
        Site* m_pFirst;
        CInstallSites(const CInstallSites&);
        CInstallSites& operator=(const CInstallSites&);
    };
    CInstallSites m_installSites;
    void ShowFatalError(const char* pszText);
};

// Registry key removal below HKEY_LOCAL_MACHINE (ops/registry.cpp); silent.
void DeleteRegistrySubkey(const char* pszParentPath, const char* pszChildName);
// Removes pszSubkey below hParent with everything under it: 0, 1010 (null or empty
// name), 1011 (cannot open) or the first error of the platform, passed up unchanged.
LONG DeleteRegistryTree(HKEY hParent, const char* pszSubkey);
// Reads a value of at most 260 bytes from an open key as text, never past the bytes
// the registry reported (a stored string need not end in a NUL); FALSE when it
// cannot be read. *pdwType, when given, receives the value's type.
BOOL ReadRegistryText(HKEY hKey, const char* pszValue, CString& strText, DWORD* pdwType = NULL);
// Deletes the files (never directories) in pszDir that match pszPattern; silent.
void DeleteMatchingFiles(const char* pszDir, const char* pszPattern);
