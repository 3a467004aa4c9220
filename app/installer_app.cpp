#include "installer_app.h"
#include "backdrop_dlg.h"
#include "elevation.h"
#include "install_flow.h"
#include "installer_copy.h"
#include "installer_dlg.h"
#include "license_dlg.h"
#include "manifest.h"
#include "one_installer.h"
#include "resource.h"
#include "resource_check.h"
#include "run_mode.h"
#include "running_image.h"
#include "shell_folders.h"
#include "silent_view.h"
#include "welcome_dlg.h"

BEGIN_MESSAGE_MAP(CInstallerApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CInstallerApp::CInstallerApp()
    : m_pBackdrop(NULL), m_outcome(kOutcomeUserEnded), m_hInstallerMutex(NULL), m_scope(ops::CScope::kMachine)
{
}

// Nothing to release: the backdrop is never deleted and the installers' mutex never
// closed (both last until the process ends).
CInstallerApp::~CInstallerApp() {}

namespace {

// Payload expansion needs VerInstallFileA from the system's own version library.
// The library is taken from the system directory only: a copy planted beside the
// installer (often in the user's downloads) must never be loaded.
bool VersionFacilityAvailable() { return sys::FindVerInstallFileA() != NULL; }

// The first title of the list, from index nFirst on, that a top-level window shows;
// -1 when none does.
int FindProductWindow(int nFirst, HWND* phWnd)
{
    char szTitle[sizeof kProductBetaTitle];
    ::lstrcpyA(szTitle, kProductBetaTitle);
    for (int i = nFirst; i < kProductWindowTitleCount; ++i) {
        szTitle[sizeof MEROLIN_NAME - 1] = i ? ' ' : '\0';
        szTitle[sizeof szTitle - 2] = (char)('0' + i);
        HWND hWnd = sys::FindWindowA(NULL, szTitle);
        if (hWnd) {
            *phWnd = hWnd;
            return i;
        }
    }
    return -1;
}

// Waits until the process of the window has ended, at most nWaitMs, handling this
// thread's messages meanwhile (the backdrop keeps painting); FALSE when it still runs.
// A product may take its window down well before it lets go of its files. Where the
// process cannot be opened, its window going is taken for its end.
BOOL WaitForProductToEnd(HWND hWnd, HANDLE hProcess, DWORD nWaitMs)
{
    const DWORD nStart = ::GetTickCount();
    BOOL bEnded = FALSE;
    for (DWORD nSpent; !bEnded && (nSpent = ::GetTickCount() - nStart) < nWaitMs;) {
        const DWORD nResult = ::MsgWaitForMultipleObjects(hProcess ? 1 : 0, &hProcess, FALSE,
                                                          nWaitMs - nSpent < 100 ? nWaitMs - nSpent : 100, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        bEnded = hProcess ? nResult == WAIT_OBJECT_0 : !::IsWindow(hWnd);
    }
    return bEnded;
}

void ReleaseGateMutex(HANDLE hMutex)
{
    // Fails harmlessly when the mutex already existed: it was never ours then.
    sys::ReleaseMutex(hMutex);
    sys::CloseHandle(hMutex);
}

} // namespace

// The start-up gate: every refusal ends the run here. Without arguments nothing
// of it changes.
BOOL CInstallerApp::InitApplication()
{
    // Before anything else: the file the kept copy of the installer is made from, which
    // nobody can swap from now on.
    ops::OpenRunningImage();
    // Nobody may be there to answer the system's own boxes ("There is no disk in the
    // drive"): a drive that cannot be read fails the call, and the installer's own
    // "Can't access drive" box says so.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (!StartRun())
        return FALSE;
    const CRunOptions& options = m_cmdLine.m_options;

    // Another installer at work: this one ends before it shows or writes anything,
    // and puts the other one's window in front.
    if (!TakeInstallerMutex(&m_hInstallerMutex, options.m_bCurrentUser)) {
        g_installLog.Write(kLogAnotherInstaller);
        if (!options.m_bSilent)
            ShowOtherInstaller();
        m_outcome = kOutcomeAnotherInstaller;
        return FALSE;
    }

    // A run cut short before this one is settled first, whatever this one is asked
    // to do; a record that cannot be settled ends the run.
    m_scope = ops::CScope(options.m_bCurrentUser ? ops::CScope::kUser : ops::CScope::kMachine);
    if (!RepairInterruptedRun(m_scope)) {
        m_outcome = kOutcomeFailed;
        return FALSE;
    }
    RemoveLeftoverCopies(m_scope);

    // A removal installs nothing: it needs no whole payload and no version library,
    // and shows no screen.
    if (!options.m_bRemove && !PrepareInstall())
        return FALSE;
    if (!CloseRunningProduct())
        return FALSE;
    return CWinApp::InitApplication();
}

BOOL CInstallerApp::StartRun()
{
    m_cmdLine.Parse(m_lpCmdLine);
    const CRunOptions& options = m_cmdLine.m_options;
    BOOL bBad = m_cmdLine.m_bBad;
    if (!bBad && !m_cmdLine.m_bUsage && !options.m_bCurrentUser && !HasMachineRights())
        return FALSE;
    // A bad command line, or a question for the usage, does nothing but show the usage
    // (a silent run shows nothing) and log that, where it names a good log; a log that
    // may not be written to makes the line bad.
    if (options.m_bSilent || !options.m_strLogFile.IsEmpty())
        bBad |= !BeginRun(options, m_lpCmdLine, bBad);
    if (bBad || m_cmdLine.m_bUsage) {
        if (!options.m_bSilent)
            CCommandLine::ShowUsage();
        m_outcome = kOutcomeBadCommandLine;
        return FALSE;
    }
    // A run for the user keeps everything in the user's local application data, which
    // systems before Windows 2000 and Me do not have: there it is as bad as a switch
    // the installer does not know.
    CString strFolder;
    if (options.m_bCurrentUser && !ops::ShellFolderPath(CSIDL_LOCAL_APPDATA, strFolder)) {
        g_installLog.Write(kLogNoUserFolder);
        m_outcome = kOutcomeBadCommandLine;
        return FALSE;
    }
    return TRUE;
}

BOOL CInstallerApp::HasMachineRights()
{
    const ops::HeldRights rights = ops::RightsOfProcess();
    if (rights == ops::kFullRights)
        return TRUE;
    // Asked for once, and only where the system has a prompt for them. The run started
    // so writes the log: a file that this run made would be its user's, which a run
    // with the rights must not append to.
    const CRunOptions& options = m_cmdLine.m_options;
    const BOOL bAsk = rights == ops::kElevatable && !options.m_bRelaunched;
    m_outcome = kOutcomeNoRights;
    if (bAsk && RunElevated(m_lpCmdLine, options.m_bSilent, &m_outcome))
        return FALSE;
    if (options.m_bSilent || !options.m_strLogFile.IsEmpty())
        BeginRun(options, m_lpCmdLine);
    if (bAsk)
        g_installLog.Write(kLogAskingRights);
    if (m_outcome == kOutcomeNoRights)
        g_installLog.Write(kLogNoRights);
    return FALSE;
}

// The payload, the version library and the screens of an installation.
BOOL CInstallerApp::PrepareInstall()
{
    // A damaged download installs nothing: every payload file is checked before the
    // first window and before the installation changes (only the settling of a run cut
    // short comes first).
    m_outcome = kOutcomeFailed;
    if (!PayloadWhole())
        return FALSE;
    if (!VersionFacilityAvailable()) {
        AfxMessageBox(kNoVersionLibraryText, MB_ICONSTOP, 0, kBoxFatal);
        return FALSE;
    }
    // A silent run shows no screen; running it so accepts the licence.
    m_outcome = kOutcomeUserEnded;
    return m_cmdLine.m_options.m_bSilent || PassScreens();
}

BOOL CInstallerApp::PayloadWhole()
{
    UINT nId;
    const ops::ResourceState state = ops::CheckPayload(&nId);
    if (state == ops::kResourceWhole)
        return TRUE;
    const BOOL bMissing = state == ops::kResourceMissing;
    CString strLine;
    strLine.Format(bMissing ? kLogResourceMissing : kLogResourceDamaged, nId);
    g_installLog.Write(strLine);
    AfxShowMessageBox(NULL, bMissing ? kResourceMissingText : kResourceCorruptText, kErrorCaption, MB_ICONSTOP,
                      kBoxFatal);
    return FALSE;
}

BOOL CInstallerApp::CloseRunningProduct()
{
    // A running copy of the product holds the mutex; only then are its windows
    // looked for.
    HANDLE hMutex = sys::CreateMutexA(NULL, TRUE, kMutexName);
    BOOL bClosed = TRUE;
    HWND hProduct = NULL;
    int nFound;
    if (::GetLastError() == ERROR_ALREADY_EXISTS && (nFound = FindProductWindow(0, &hProduct)) >= 0) {
        if (AfxShowMessageBox(NULL, kProductRunningNotice, kRunningCaption, MB_OKCANCEL | MB_ICONEXCLAMATION,
                              kBoxQuestion) == IDCANCEL) {
            ReleaseGateMutex(hMutex);
            return FALSE;  // the user ended the run
        }
        // The product closes in its own time; it has closed only once its process
        // has ended, which is known from its handle, taken before the request while
        // its window still names it. Then only the titles after the one found are
        // looked at again.
        DWORD nProcessId = 0;
        ::GetWindowThreadProcessId(hProduct, &nProcessId);
        CHandle process(sys::OpenProcess(SYNCHRONIZE, FALSE, nProcessId));
        sys::PostMessageA(hProduct, WM_CLOSE_PRODUCT, 0, 0);
        HWND hOther = NULL;
        const BOOL bEnded = WaitForProductToEnd(hProduct, process, kProductCloseWaitMs);
        process.Close();
        if (!bEnded || FindProductWindow(nFound + 1, &hOther) >= 0) {
            AfxShowMessageBox(NULL, kStillRunningText, kInstallCaption, MB_ICONINFORMATION, kBoxNotice);
            m_outcome = kOutcomeProductRunning;
            bClosed = FALSE;
        } else {
            AfxShowMessageBox(NULL, kClosedText, kClosedCaption, MB_OK, kBoxNotice);
        }
    }
    ReleaseGateMutex(hMutex);
    return bClosed;
}

// The backdrop, the welcome and the licence.
BOOL CInstallerApp::PassScreens()
{
    // The backdrop stays behind every later window until the process ends.
    m_pBackdrop = new CBackdropDlg(NULL);
    m_pBackdrop->Create(IDD_BACKDROP, NULL);

    CWelcomeDlg dlgWelcome(NULL);
    if (dlgWelcome.DoModal() != IDOK) {
        m_pBackdrop->DestroyWindow();
        return FALSE;
    }

    // The licence dialog lives only around its own run: its scope ends before the
    // running-product check, whatever the outcome. Keep the braces.
    INT_PTR nLicense;
    {
        CLicenseDlg dlgLicense(NULL);
        nLicense = dlgLicense.DoModal();
    }
    if (nLicense != IDOK) {
        m_pBackdrop->DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

BOOL CInstallerApp::InitInstance()
{
    const CRunOptions& options = m_cmdLine.m_options;
    if (options.m_bSilent || options.m_bRemove) {
        CSilentView view(options, m_scope);
        m_outcome = options.m_bRemove ? view.Remove() : view.Run();
        return FALSE;
    }
    Enable3dControlsStatic();
    CInstallerDlg dlg(options, m_scope, NULL);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_outcome = dlg.Outcome();
    return FALSE;
}

int CInstallerApp::ExitInstance()
{
    LogExitCode(m_outcome);
    return m_outcome;
}
