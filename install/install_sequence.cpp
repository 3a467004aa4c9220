// The install sequence: directory, payload files, Windows directory check, desktop
// and program-group shortcuts, registry, then the offer to start the product. Each
// finished stage sets its progress flag so that Cancel knows what to undo.
#include "install_flow.h"
#include "install_log.h"
#include "payload.h"
#include "report.h"
#include "registry.h"
#include "shell_start.h"
#include "shortcuts.h"
#include "target_dir.h"

int CInstallFlow::Box(const char* pszText, const char* pszCaption, UINT nType)
{
    return AfxShowMessageBox(m_view.BoxOwner(), pszText, pszCaption, nType);
}

void CInstallFlow::Status(const char* pszText)
{
    g_installLog.Write(CString("Status: ") + pszText);
    m_view.SetStatus(pszText);
}

namespace {

// The longest file name that the payload puts into the target directory.
int LongestPayloadName()
{
    int nLongest = 0;
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        const int n = ::lstrlenA(kPayloadTable[nRow].pszFileName);
        if (n > nLongest)
            nLongest = n;
    }
    return nLongest;
}

} // namespace

void CInstallFlow::Install()
{
    m_bInstalling = TRUE;
    RunInstall();
    m_bInstalling = FALSE;
}

void CInstallFlow::RunInstall()
{
    const HWND hOwner = m_view.BoxOwner();

    // 1. Directory. The path is taken once: the payload goes where the directory
    //    stage went, and the rollback later cleans that directory. A path whose files
    //    would land elsewhere is refused before anything is made, as a bad drive is.
    Status("Installing:\r\nCreating installation directory...");
    const CString strDir = m_view.TargetDir();
    if (!ops::IsUsableTargetPath(strDir, LongestPayloadName())) {
        ops::ReportError(hOwner, kInvalidPathText);
        ShowFatalError("Couldn't create installation directory!");
        return;
    }
    if (!ops::CreateTargetDirectory(hOwner, strDir, &m_sites.m_strCreatedDirs)) {
        ShowFatalError("Couldn't create installation directory!");
        return;
    }
    // The site is the directory actually entered, however the path spelt it.
    char szEntered[MAX_PATH];
    CInstallSites::Site* pSite = m_sites.Enter(sys::_getcwd(szEntered, MAX_PATH) ? CString(szEntered) : strDir);
    g_bDirCreated = 1;

    // 2. Payload files, in table order, into the directory just entered.
    Status("Installing:\r\nInstalling application files...");
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        const PayloadFile& file = kPayloadTable[nRow];
        if (!ops::ExtractPayloadFile(hOwner, file.nResourceId, file.pszFileName)) {
            ShowFatalError(file.pszFailure);
            if (file.bRequired)
                return;
            continue;  // a sample file: shown, then the next one
        }
        if (file.pbProgressFlag) {
            pSite->MarkInstalled(nRow);
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
    //    The links name the directory as the field shows it now.
    Status("Installing:\r\nInstalling DeskTop shortcut...");
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutSpec& link = kShortcutTable[i];
        if (link.bDesktop && ops::CreateShortcut(hOwner, m_view.TargetDir(), g_strStartMenuDir, link.pszBaseName,
                                                 link.pszExtension, link.pszTitle, TRUE))
            m_sites.m_nLinks |= 1u << i;
    }

    // 5. Program-group shortcuts; each one is required.
    Status("Installing:\r\nInstalling Start Menu shortcuts...");
    for (int i = 0; i < kShortcutCount; ++i) {
        const ShortcutSpec& link = kShortcutTable[i];
        if (link.bDesktop)
            continue;
        if (!ops::CreateShortcut(hOwner, m_view.TargetDir(), g_strStartMenuDir, link.pszBaseName,
                                 link.pszExtension, link.pszTitle, FALSE, &m_sites.m_strCreatedDirs)) {
            ShowFatalError(link.pszFailure);
            return;
        }
        m_sites.m_nLinks |= 1u << i;
    }
    g_bShortcutsCreated = 1;

    // 6. Registry.
    Status("Installing:\r\nUpdating system registry...");
    if (!ops::WriteRegistryEntries(m_view.TargetDir(), &m_sites.m_nRegistryKeys)) {
        ShowFatalError("Couldn't update system registry!");
        return;
    }
    g_bRegistryWritten = 1;

    // 7. Completion, unless a cancel is under way. Earlier failed attempts of this run
    //    in other directories leave nothing behind.
    RemoveEarlierSites(pSite);
    if (!m_view.IsCancelPending()) {
        Status("Installation complete:\r\nMerolin installed successfuly");
        m_view.Hide();
        CString strQuestion = kDisplayName;
        strQuestion += " has been successfully installed!\r\n\r\n";
        strQuestion += "Would you like to to run Merolin right now?";
        if (Box(strQuestion, kCompletionCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            // Built to the directory's own length: a typed directory may be long.
            const CString strTarget = m_view.TargetDir();
            const CString strProgram = strTarget + "\\" + kMainProgramFile;
            ops::StartProgram(strProgram, strTarget);
        }
    }

    // 8.
    m_view.EndInstalled();
}
