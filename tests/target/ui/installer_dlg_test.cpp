// The installer dialog: what it shows once open (title, icons, proposed target
// directory, status line) and Esc before anything was written; the folder browser
// and typing in the target field; the dialog never shown when its opening ends the
// run; Esc and the close box before and during an install. (The opening's steps
// behind it, in the install flow: tests/target/install/opening_test.cpp.)
#include "installer_dlg.h"
#include "opening_fixture.h"
#include <stdio.h>

class InstallerDlgTest : public OpeningTest {};

TEST_F(InstallerDlgTest, OpensWithTitleIconsDirectoryAndStatusAndEscEndsWithoutAQuestion)
{
    ScriptedBoxes boxes;  // no box at all
    CRunOptions options;
    CInstallerDlg dlg(options, ops::CScope(ops::CScope::kMachine), NULL);
    dlg.m_bCancelPending = TRUE;
    std::string title, dir, status;
    HICON hBig = NULL, hSmall = NULL;
    INT_PTR r = RunModal(dlg, [&](HWND h) {
        title = CWnd::FromHandle(h)->GetWindowText();
        dir = CWnd::FromHandle(h)->GetDlgItemText(IDC_TARGET_DIR);
        status = CWnd::FromHandle(h)->GetDlgItemText(IDC_STATUS);
        hBig = (HICON)::SendMessageA(h, WM_GETICON, ICON_BIG, 0);
        hSmall = (HICON)::SendMessageA(h, WM_GETICON, ICON_SMALL, 0);
        PressEscape(h);
    });
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(title, "Tolvane Software - Install Merolin 1.31");
    EXPECT_EQ(dir, "C:\\Program Files\\Merolin");
    EXPECT_EQ(status, "To install Merolin, at least\r\n500 Kb of free disk space is required.");
    EXPECT_STREQ(dlg.m_strStatus, status.c_str());
    EXPECT_STREQ(dlg.m_strTargetDir, "C:\\Program Files\\Merolin");
    EXPECT_STREQ(dlg.m_strAppName, "Merolin");
    EXPECT_FALSE(dlg.m_bCancelPending);
    ASSERT_NE(dlg.m_hIcon, nullptr);
    EXPECT_EQ(hBig, dlg.m_hIcon);
    EXPECT_EQ(hSmall, dlg.m_hIcon);
    EXPECT_EQ(LastCoInitializeResult(), S_OK);
    EXPECT_EQ(faults.Count(AFX_CALL_CoInitialize), 1);
    EXPECT_EQ(std::string(g_strStartMenuDir), common::ProgramsDir() + "\\Merolin");
}

namespace {
std::string g_browsedPath;
bool g_browseCancels, g_pathFails;
BROWSEINFOA g_bi;
std::string g_biTitle;

PIDLIST_ABSOLUTE WINAPI FakeBrowse(LPBROWSEINFOA pbi)
{
    g_bi = *pbi;
    g_biTitle = pbi->lpszTitle ? pbi->lpszTitle : "<null>";
    if (g_browseCancels)
        return NULL;
    PIDLIST_ABSOLUTE pidl = (PIDLIST_ABSOLUTE)::CoTaskMemAlloc(sizeof(USHORT));
    memset(pidl, 0, sizeof(USHORT));
    return pidl;
}
BOOL WINAPI FakePathFromIDList(PCIDLIST_ABSOLUTE, LPSTR buf)
{
    if (g_pathFails)
        return FALSE;
    lstrcpyA(buf, g_browsedPath.c_str());
    return TRUE;
}
} // namespace

TEST_F(InstallerDlgTest, BrowseAppendsTheProductFolderUnlessThePathNamesIt)
{
    CRunOptions options;
    CInstallerDlg dlg(options, ops::CScope(ops::CScope::kMachine), NULL);
    ASSERT_TRUE(dlg.Create(IDD_INSTALLER));
    CWinApp app("Setup");
    app.m_pMainWnd = &dlg;
    faults.Forward().SHBrowseForFolderA = FakeBrowse;
    faults.Forward().SHGetPathFromIDListA = FakePathFromIDList;

    struct Case { const char* chosen; const char* result; };
    const Case cases[] = {
        { "D:\\", "D:\\Merolin" },
        { "E:\\Tools", "E:\\Tools\\Merolin" },
        { "E:\\Merolin Old", "E:\\Merolin Old" },
        { "E:\\merolin", "E:\\merolin\\Merolin" },
        { "F:\\Apps\\Merolin", "F:\\Apps\\Merolin" },
    };
    g_browseCancels = g_pathFails = false;
    for (const Case& c : cases) {
        g_browsedPath = c.chosen;
        ClickButton(dlg.m_hWnd, IDC_BROWSE);
        EXPECT_STREQ(dlg.m_strTargetDir, c.result) << c.chosen;
        EXPECT_STREQ(dlg.GetDlgItemText(IDC_TARGET_DIR), c.result) << c.chosen;
    }
    EXPECT_EQ(g_bi.hwndOwner, dlg.m_hWnd);
    EXPECT_EQ(g_bi.pidlRoot, nullptr);
    EXPECT_NE(g_bi.pszDisplayName, nullptr);
    EXPECT_EQ(g_biTitle, "Merolin Installation Folder");
    EXPECT_EQ(g_bi.ulFlags, (UINT)BIF_RETURNONLYFSDIRS);
    EXPECT_EQ(g_bi.lpfn, nullptr);

    // cancelled, or a choice outside the file system: nothing changes
    g_browsedPath = "G:\\Other";
    g_browseCancels = true;
    ClickButton(dlg.m_hWnd, IDC_BROWSE);
    g_browseCancels = false;
    g_pathFails = true;
    ClickButton(dlg.m_hWnd, IDC_BROWSE);
    g_pathFails = false;
    EXPECT_STREQ(dlg.m_strTargetDir, "F:\\Apps\\Merolin");
    EXPECT_STREQ(dlg.GetDlgItemText(IDC_TARGET_DIR), "F:\\Apps\\Merolin");
    EXPECT_EQ(faults.Count(AFX_CALL_SHBrowseForFolderA), 7);

    // without a main window the browser has no owner
    app.m_pMainWnd = NULL;
    g_browsedPath = "H:\\";
    ClickButton(dlg.m_hWnd, IDC_BROWSE);
    EXPECT_EQ(g_bi.hwndOwner, nullptr);
    EXPECT_STREQ(dlg.m_strTargetDir, "H:\\Merolin");
    dlg.DestroyWindow();
}

TEST_F(InstallerDlgTest, TypingUpdatesTheTargetDirectoryOnEveryKeystroke)
{
    CRunOptions options;
    CInstallerDlg dlg(options, ops::CScope(ops::CScope::kMachine), NULL);
    ASSERT_TRUE(dlg.Create(IDD_INSTALLER));
    HWND hEdit = ::GetDlgItem(dlg.m_hWnd, IDC_TARGET_DIR);
    ::SendMessageA(hEdit, EM_SETSEL, 0, -1);
    ::SendMessageA(hEdit, WM_CHAR, 'D', 0);
    EXPECT_STREQ(dlg.m_strTargetDir, "D");
    for (char ch : std::string(":\\Apps")) {
        ::SendMessageA(hEdit, WM_CHAR, (WPARAM)(unsigned char)ch, 0);
    }
    EXPECT_STREQ(dlg.m_strTargetDir, "D:\\Apps");
    ::SendMessageA(hEdit, WM_CHAR, VK_BACK, 0);
    EXPECT_STREQ(dlg.m_strTargetDir, "D:\\App");
    // the proposal is not changed by what the user types
    EXPECT_STREQ(g_strInstallDir, "C:\\Program Files\\Merolin");
    dlg.DestroyWindow();
}

TEST_F(InstallerDlgTest, ComFailureIsReportedAndEndsTheDialogUnseen)
{
    ScriptedBoxes boxes;
    boxes.Expect("ERROR", "Can't initialize Component Object Module - aborting installation", MB_ICONEXCLAMATION,
                 IDOK);
    faults.Fail(AFX_CALL_CoInitialize);
    CRunOptions options;
    CInstallerDlg dlg(options, ops::CScope(ops::CScope::kMachine), NULL);
    bool shown = false;
    RunModal(dlg, [&](HWND) { shown = true; }, 5);
    EXPECT_FALSE(shown);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(boxes.Seen()[0].hOwner, nullptr);
    // nothing after COM ran: no search for a previous installation, no space statement
    EXPECT_STREQ(dlg.m_strStatus, "Stand by:\r\nChecking system parameters...");
    EXPECT_STREQ(dlg.m_strTargetDir, "C:\\Program Files\\Merolin");
}

// No at the overwrite question ends the run (the user ended it) before the dialog is
// shown, and nothing is removed. The child process logs the boxes and, at its exit,
// what is still there.
namespace {
std::string g_deathDir;
int LoggingBoxes(HWND owner, const char* text, const char* caption, UINT type, AfxBoxKind)
{
    const bool textOk = lstrcmpA(text, "This will overwrite any previous installation:\r\n\r\n"
                                       "Are you sure you want to continue installing Merolin?") == 0;
    fprintf(stderr, "box %s type=%u visible=%d text-ok=%d ", caption, type, owner && ::IsWindowVisible(owner), textOk);
    return IDNO;
}
void ReportAtExit()
{
    fprintf(stderr, "exit keys=%d files=%d\n", RegKeyExists(kAppPathsKey) && RegKeyExists(kVendorKey),
            FileExists(g_deathDir + "\\Merolin.exe"));
}
} // namespace

TEST_F(InstallerDlgTest, DeclinedOverwriteEndsBeforeTheDialogShows)
{
    ScratchDir scratch(CurrentTestName());
    const std::string old = scratch / "Old\\Merolin";
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, old.c_str(), NULL));
    WriteWholeFile(old + "\\Merolin.exe", "old");
    RegPutString(kAppPathsKey, "Path", old);
    RegPutString(kVendorVersionKey, "", "1");
    g_deathDir = old;
    EXPECT_EXIT(
        {
            AfxSetMessageBoxHandler(&LoggingBoxes);
            atexit(&ReportAtExit);
            CRunOptions options;
            CInstallerDlg other(options, ops::CScope(ops::CScope::kMachine), NULL);
            other.DoModal();
            exit(other.Outcome() == kOutcomeUserEnded ? 0 : 1);
        },
        testing::ExitedWithCode(0), "^box Note type=52 visible=0 text-ok=1 exit keys=1 files=1\n$");
    EXPECT_TRUE(FileExists(old + "\\Merolin.exe"));
    RemoveProductKeys();
}

// Esc and the close box: before anything was written they end the dialog at once; a
// close request that comes while the sequence runs (its box open) is taken up when
// the sequence stops, as the Cancel button: question, rollback, notice.
namespace {

// The dialog opened, with a target directory and a program group below C:\scratch
// typed in and no progress flag set.
class InstallingDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (int* pFlag : kProgressFlags)
            *pFlag = 0;
        RemoveProductKeys();
        ASSERT_TRUE(dlg.Create(IDD_INSTALLER));
        g_strStartMenuDir = (scratch / "Programs\\Merolin").c_str();
        ::SetDlgItemTextA(dlg.m_hWnd, IDC_TARGET_DIR, (scratch / "Apps\\Merolin").c_str());
    }
    void TearDown() override
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
        for (int* pFlag : kProgressFlags)
            *pFlag = 0;
        RemoveProductKeys();
    }
    bool DialogOpen() const { return dlg.m_hWnd && ::IsWindowVisible(dlg.m_hWnd); }

    ScriptedBoxes boxes;  // declared first: it also answers boxes of the dialog's opening
    ScratchDir scratch{ CurrentTestName() };
    CRunOptions options;
    CInstallerDlg dlg{ options, ops::CScope(ops::CScope::kMachine), NULL };
};

HWND g_closeTarget;
HANDLE WINAPI CloseRequestThenFail(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how,
                                   DWORD flags, HANDLE model)
{
    if (std::string(name) != "MR.MSZ")
        return g_afxSystemCalls.CreateFileA(name, access, share, sa, how, flags, model);
    // What Esc and the close box come to in the dialog (the dialog manager posts it;
    // here it arrives at once, as it would from a box's message loop).
    ::SendMessageA(g_closeTarget, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return INVALID_HANDLE_VALUE;
}

TEST_F(InstallingDlgTest, CloseBoxDuringAFailedAttemptRollsBackOnceTheBoxIsAnswered)
{
    g_closeTarget = dlg.m_hWnd;
    {
        PlatformFaults faults;
        faults.Forward().CreateFileA = CloseRequestThenFail;
        boxes.Expect("ERROR", "Can't overwrite temporary file \"MR.MSZ\"", MB_ICONINFORMATION, IDOK);
        boxes.Expect("ERROR", "Couldn't install Merolin.exe!", MB_ICONSTOP, IDOK);
        boxes.Expect("Cancel Install?",
                     "This will abort the installation of Merolin 1.31\r\nDo you wish to cancel the installation?",
                     MB_YESNO | MB_ICONQUESTION, IDYES);
        boxes.Expect("Installation Incomplete", "Merolin was not installed on your system", MB_ICONINFORMATION, IDOK);
        dlg.OnInstall();
    }
    EXPECT_FALSE(DialogOpen());
    EXPECT_FALSE(DirExists(scratch / "Apps")) << "the attempt's directories are gone";
}

TEST_F(InstallingDlgTest, EscBeforeAnyAttemptEndsAtOnce)
{
    ::SendMessageA(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);  // what Esc sends
    EXPECT_FALSE(DialogOpen());
    EXPECT_TRUE(boxes.Seen().empty());
}

} // namespace
