// The installer dialog's opening: title, icons, proposed target directory, program
// group, COM, the status line; the folder browser and typing in the target field.
#include "boxes.h"
#include "faults.h"
#include "installer_dlg.h"
#include "manifest.h"
#include "resource.h"
#include "testenv.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
void DeleteProgramFilesDir()
{
    HKEY h;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
        ::RegDeleteValueA(h, "ProgramFilesDir");
        ::RegCloseKey(h);
    }
}

void PutRawValue(DWORD type, const void* data, DWORD size)
{
    HKEY h;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
    ::RegSetValueExA(h, "ProgramFilesDir", 0, type, (const BYTE*)data, size);
    ::RegCloseKey(h);
}

std::string ProgramsFolder()
{
    char buf[MAX_PATH];
    return ::SHGetSpecialFolderPathA(NULL, buf, CSIDL_PROGRAMS, FALSE) ? buf : "<none>";
}

// Every test opens the dialog with the platform calls counted, COM set up by the
// dialog itself (and taken down again afterwards), the system's "ProgramFilesDir"
// value restored and the product's keys absent.
class InstallerDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedProgramFiles = RegString(kCurrentVersion, "ProgramFilesDir");
        RegPutString(kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
        RemoveProductKeys();
        faults.Forward().CoInitialize = RecordingCoInitialize;
        g_strInstallDir = "";
        g_strStartMenuDir = "";
    }
    void TearDown() override
    {
        UninitializeRecordedCom();
        if (m_savedProgramFiles == "<missing>")
            DeleteProgramFilesDir();
        else
            RegPutString(kCurrentVersion, "ProgramFilesDir", m_savedProgramFiles);
    }
    // Opens the dialog modeless (its initialisation runs in full) and returns the
    // directory it proposes.
    std::string ProposedDirectory()
    {
        CInstallerDlg dlg;
        EXPECT_TRUE(dlg.Create(IDD_INSTALLER));
        std::string shown = std::string(dlg.GetDlgItemText(IDC_TARGET_DIR));
        std::string member = std::string(dlg.m_strTargetDir);
        dlg.DestroyWindow();
        UninitializeRecordedCom();
        EXPECT_EQ(member, shown);
        EXPECT_EQ(std::string(g_strInstallDir), shown);
        return shown;
    }

    PlatformFaults faults;
    std::string m_savedProgramFiles;
};

} // namespace

TEST_F(InstallerDlgTest, OpensWithTitleIconsDirectoryAndStatusAndEscEndsWithoutAQuestion)
{
    ScriptedBoxes boxes;  // no box at all
    CInstallerDlg dlg;
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
    EXPECT_EQ(std::string(g_strStartMenuDir), ProgramsFolder() + "\\Merolin");
}

TEST_F(InstallerDlgTest, ProposedDirectoryFromProgramFilesDir)
{
    RegPutString(kCurrentVersion, "ProgramFilesDir", "D:\\Apps");
    EXPECT_EQ(ProposedDirectory(), "D:\\Apps\\Merolin");

    DeleteProgramFilesDir();
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");

    RegPutString(kCurrentVersion, "ProgramFilesDir", "D:\\Apps");
    faults.Fail(AFX_CALL_RegOpenKeyExA);
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");
    faults.Fail(AFX_CALL_RegQueryValueExA);
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");

    // a value that is not a string is not taken for a folder
    DWORD dw = 0x3A44;  // "D:" as bytes
    PutRawValue(REG_DWORD, &dw, sizeof dw);
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");
    PutRawValue(REG_BINARY, "D:\\Bin", 6);
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");
}

namespace {
std::string g_rawValue;
DWORD g_passedSize;
char g_filler;
// A registry that hands back a string without its terminating NUL, the rest of the
// caller's buffer filled with something else.
LONG WINAPI UnterminatedValue(HKEY, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    if (lstrcmpA(name, "ProgramFilesDir") != 0)
        return ERROR_FILE_NOT_FOUND;
    g_passedSize = *size;
    if (g_rawValue.size() > *size)
        return ERROR_MORE_DATA;
    memset(data, g_filler, *size);
    memcpy(data, g_rawValue.data(), g_rawValue.size());
    *size = (DWORD)g_rawValue.size();
    *type = REG_SZ;
    return ERROR_SUCCESS;
}
} // namespace

TEST_F(InstallerDlgTest, AStringWithoutItsNulIsReadNoFurtherThanItsSize)
{
    faults.Forward().RegQueryValueExA = UnterminatedValue;
    g_filler = 'Z';
    g_rawValue = "D:\\Apps";
    EXPECT_EQ(ProposedDirectory(), "D:\\Apps\\Merolin");
    EXPECT_EQ(g_passedSize, 260u);

    // a full buffer and nothing after it
    g_rawValue = std::string(260, 'x');
    EXPECT_EQ(ProposedDirectory(), std::string(260, 'x') + "\\Merolin");

    // an embedded NUL ends the string
    g_filler = '\0';
    g_rawValue = std::string("E:\\Apps\0junk", 12);
    EXPECT_EQ(ProposedDirectory(), "E:\\Apps\\Merolin");
}

TEST_F(InstallerDlgTest, ProgramGroupDefaultHasNoProductFolder)
{
    for (AfxCallId call : { AFX_CALL_SHGetSpecialFolderLocation, AFX_CALL_SHGetPathFromIDListA }) {
        faults.Fail(call);
        ProposedDirectory();
        EXPECT_STREQ(g_strStartMenuDir, "C:\\Windows\\Start Menu\\Programs") << g_afxCallNames[call];
    }
    ProposedDirectory();
    EXPECT_EQ(std::string(g_strStartMenuDir), ProgramsFolder() + "\\Merolin");
}

TEST_F(InstallerDlgTest, ComFailureIsReportedAndEndsTheDialogUnseen)
{
    ScriptedBoxes boxes;
    boxes.Expect("ERROR", "Can't initialize Component Object Module - aborting installation", MB_ICONEXCLAMATION,
                 IDOK);
    faults.Fail(AFX_CALL_CoInitialize);
    CInstallerDlg dlg;
    bool shown = false;
    RunModal(dlg, [&](HWND) { shown = true; }, 5);
    EXPECT_FALSE(shown);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(boxes.Seen()[0].hOwner, nullptr);
    // nothing after COM ran: no search for a previous installation, no space statement
    EXPECT_STREQ(dlg.m_strStatus, "Stand by:\r\nChecking system parameters...");
    EXPECT_STREQ(dlg.m_strTargetDir, "C:\\Program Files\\Merolin");
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
    CInstallerDlg dlg;
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
    CInstallerDlg dlg;
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

// ---- a previous installation and the overwrite question

namespace {
const char kOverwrite[] =
    "This will overwrite any previous installation:\r\n\r\nAre you sure you want to continue installing Merolin?";
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Merolin.exe";

void LogKeyAtExit() { Log(RegKeyExists(kAppPaths) ? "key kept" : "key removed"); }
} // namespace

TEST_F(InstallerDlgTest, PreviousInstallationRemovedAfterYes)
{
    ScratchDir previous(CurrentTestName());
    RegPutString(kAppPaths, "Path", previous.Path());
    ScriptedBoxes boxes;
    boxes.Expect("Note", kOverwrite, MB_YESNO | MB_ICONEXCLAMATION, IDYES);
    CInstallerDlg dlg;
    std::string dir, status;
    INT_PTR r = RunModal(dlg, [&](HWND h) {
        dir = CWnd::FromHandle(h)->GetDlgItemText(IDC_TARGET_DIR);
        status = CWnd::FromHandle(h)->GetDlgItemText(IDC_STATUS);
        PressEscape(h);
    });
    EXPECT_EQ(r, IDCANCEL);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(boxes.Seen()[0].hOwner, nullptr);
    EXPECT_EQ(dir, previous.Path());  // the previous installation's folder is proposed
    EXPECT_EQ(status, "To install Merolin, at least\r\n500 Kb of free disk space is required.");
    EXPECT_FALSE(RegKeyExists(kAppPaths));  // the check ran again, in remove mode
    RemoveProductKeys();
}

TEST_F(InstallerDlgTest, PreviousInstallationKeptAndProcessEndedAfterNo)
{
    ScratchDir previous(CurrentTestName());
    RegPutString(kAppPaths, "Path", previous.Path());
    EXPECT_EXIT(
        {
            StartLog("RUN");
            LogBoxes({}, IDNO);
            atexit(LogKeyAtExit);
            CInstallerDlg dlg;
            dlg.DoModal();
            exit(dlg.Outcome() == kOutcomeUserEnded ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        RegexEscaped("RUN{box Note 52 owned " + Flat(kOverwrite) + ";key kept;}"));
    RemoveProductKeys();
}

// ---- the order of the opening steps, and the status line while each one runs

namespace {
CInstallerDlg* g_pOpening;
std::vector<std::string> g_steps;
void Step(const std::string& s)
{
    if (g_steps.empty() || g_steps.back() != s)
        g_steps.push_back(s);
}
std::string StatusNow()
{
    return g_pOpening && g_pOpening->m_hWnd ? Flat(std::string(g_pOpening->GetDlgItemText(IDC_STATUS))) : "<none>";
}
LONG WINAPI StepRegOpen(HKEY h, LPCSTR sub, DWORD opt, REGSAM sam, PHKEY out)
{
    if (lstrcmpiA(sub, kCurrentVersion) == 0)
        Step(std::string("program files ") + (h == HKEY_LOCAL_MACHINE ? "HKLM " : "? ") +
             (sam == KEY_READ ? "KEY_READ " : "other access ") + StatusNow());
    else
        Step("probe " + StatusNow());
    return ::RegOpenKeyExA(h, sub, opt, sam, out);
}
HRESULT WINAPI StepFolder(HWND owner, int csidl, PIDLIST_ABSOLUTE* ppidl)
{
    Step(std::string("programs folder ") + std::to_string(csidl) + (owner ? " owned" : "") + " " + StatusNow());
    return ::SHGetSpecialFolderLocation(owner, csidl, ppidl);
}
HRESULT WINAPI StepCoInitialize(LPVOID p)
{
    Step("COM " + StatusNow());
    return RecordingCoInitialize(p);
}
} // namespace

TEST_F(InstallerDlgTest, OpeningStepsRunInOrderEachUnderItsStatus)
{
    ScratchDir previous(CurrentTestName());
    RegPutString(kAppPaths, "Path", previous.Path());
    faults.Forward().RegOpenKeyExA = StepRegOpen;
    faults.Forward().SHGetSpecialFolderLocation = StepFolder;
    faults.Forward().CoInitialize = StepCoInitialize;
    g_steps.clear();
    ScriptedBoxes boxes;
    boxes.Expect("Note", kOverwrite, MB_YESNO | MB_ICONEXCLAMATION, IDYES);
    CInstallerDlg dlg;
    g_pOpening = &dlg;
    ASSERT_TRUE(dlg.Create(IDD_INSTALLER));
    Step("opened " + StatusNow());
    g_pOpening = NULL;
    dlg.DestroyWindow();
    RemoveProductKeys();
    const std::string checking = "Stand by:<CR><LF>Checking system parameters...";
    EXPECT_EQ(g_steps, (std::vector<std::string>{
                           "program files HKLM KEY_READ " + checking,
                           "programs folder 2 " + checking,
                           "COM " + checking,
                           "probe Stand by:<CR><LF>Checking for previous installations...",
                           "probe Removing previous versions...",
                           "programs folder 23 Removing previous versions...",  // the links of all users' group
                           "programs folder 2 Removing previous versions...",   // and of the user's go too
                           "opened To install Merolin, at least<CR><LF>500 Kb of free disk space is required.",
                       }));
}
