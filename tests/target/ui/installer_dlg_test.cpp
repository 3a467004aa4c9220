// The installer dialog: what it shows once open (title, icons, proposed target
// directory, status line) and Esc before anything was written; the folder browser
// and typing in the target field. (The opening's steps behind it, in the install
// flow: tests/target/install/opening_test.cpp.)
#include "installer_dlg_fixture.h"

TEST_F(InstallerDlgTest, OpensWithTitleIconsDirectoryAndStatusAndEscEndsWithoutAQuestion)
{
    ScriptedBoxes boxes;  // no box at all
    CRunOptions options;
    CInstallerDlg dlg(options, NULL);
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
    CInstallerDlg dlg(options, NULL);
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
    CInstallerDlg dlg(options, NULL);
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
