// OnInstall: the install sequence behind the Install button. Directory, payload
// files, Windows directory check, desktop and program-group shortcuts, registry,
// then the offer to start the product. Each finished stage sets its progress flag
// so that Cancel knows what to undo.
#include "installer_dlg.h"
#include "manifest.h"

namespace {

const int kRequiredPayloadRows = 4;  // rows 0 to 3 stop the install when they fail

} // namespace

CInstallerDlg::CInstallSites::~CInstallSites()
{
    while (m_pFirst) {
        Site* pNext = m_pFirst->pNext;
        delete m_pFirst;
        m_pFirst = pNext;
    }
}

// The directory is kept as the install passed it; the same directory typed in
// another letter case is the same site.
CInstallerDlg::CInstallSites::Site* CInstallerDlg::CInstallSites::Enter(const CString& strDir)
{
    Site** ppLink = &m_pFirst;
    for (; *ppLink; ppLink = &(*ppLink)->pNext) {
        if (::lstrcmpiA((*ppLink)->strDir, strDir) == 0)
            return *ppLink;
    }
    Site* pSite = new Site;
    pSite->strDir = strDir;
    pSite->nDone = 0;
    pSite->pNext = NULL;
    *ppLink = pSite;
    return pSite;
}

void CInstallerDlg::ShowFatalError(const char* pszText)
{
    MessageBox(pszText, kErrorCaption, MB_ICONSTOP);
}

void CInstallerDlg::OnInstall()
{
    // 1. Directory. The path is taken once: the payload goes where the directory
    //    stage went, and the rollback later cleans that directory.
    SetStatus("Installing:\r\nCreating installation directory...");
    const CString strDir = m_strTargetDir;
    if (!CreateTargetDirectory(strDir)) {
        ShowFatalError("Couldn't create installation directory!");
        return;
    }
    CInstallSites::Site* pSite = m_installSites.Enter(strDir);
    pSite->nDone |= CInstallSites::kDirectory;
    g_bDirCreated = 1;

    // 2. Payload files, in table order, into the directory just entered.
    SetStatus("Installing:\r\nInstalling application files...");
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        const PayloadFile& file = kPayloadTable[nRow];
        if (!ExtractPayloadFile(file.nResourceId, file.pszFileName)) {
            ShowFatalError(file.pszFailure);
            if (nRow < kRequiredPayloadRows)
                return;
            continue;  // a sample file: shown, then the next one
        }
        if (file.pbProgressFlag) {
            pSite->nDone |= 2 << nRow;
            *file.pbProgressFlag = 1;
        }
    }

    // 3. Windows directory check; the path itself is not needed.
    char szWindowsDir[MAX_PATH];
    if (sys::GetWindowsDirectoryA(szWindowsDir, MAX_PATH) == 0) {
        ShowFatalError("Can't access Windows directory!");
        return;
    }

    // 4. Desktop shortcut: the operation reports its own failure, the install goes on.
    SetStatus("Installing:\r\nInstalling DeskTop shortcut...");
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutSpec& link = kShortcutTable[i];
        if (link.bDesktop)
            CreateShortcut(link.pszBaseName, link.pszExtension, link.pszTitle, TRUE);
    }

    // 5. Program-group shortcuts; each one is required.
    SetStatus("Installing:\r\nInstalling Start Menu shortcuts...");
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutSpec& link = kShortcutTable[i];
        if (link.bDesktop)
            continue;
        if (!CreateShortcut(link.pszBaseName, link.pszExtension, link.pszTitle, FALSE)) {
            ShowFatalError(link.pszFailure);
            return;
        }
    }
    g_bShortcutsCreated = 1;

    // 6. Registry.
    SetStatus("Installing:\r\nUpdating system registry...");
    if (!WriteRegistryEntries()) {
        ShowFatalError("Couldn't update system registry!");
        return;
    }
    g_bRegistryWritten = 1;

    // 7. Completion, unless a cancel is under way.
    if (!m_bCancelPending) {
        SetStatus("Installation complete:\r\nMerolin installed successfuly");
        ShowWindow(SW_HIDE);
        CString strQuestion = kDisplayName;
        strQuestion += " has been successfully installed!\r\n\r\n";
        strQuestion += "Would you like to to run Merolin right now?";
        if (MessageBox(strQuestion, "INSTALLATION COMLETE", MB_YESNO | MB_ICONQUESTION) == IDYES) {
            // Built to the directory's own length: a typed directory may be long.
            const CString strProgram = m_strTargetDir + "\\" + kMainProgramFile;
            sys::ShellExecuteA(NULL, "open", strProgram, NULL, m_strTargetDir, SW_SHOWNORMAL);
        }
    }

    // 8.
    EndDialog(0);
}
