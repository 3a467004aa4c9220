// The two test seams (message boxes, platform calls) and the application object.
#include "afx.h"
#include "boxes.h"
#include "faults.h"
#include "framework_test_ids.h"
#include <gtest/gtest.h>
#include <string>

TEST(MessageBoxSeam, EveryKindOfBoxGoesThroughTheHandler)
{
    CWinApp app;  // no name given: the title is the program's file name
    app.SetInstance(::GetModuleHandleA(NULL));
    EXPECT_STREQ(app.m_strAppName, "framework_tests");

    ScriptedBoxes boxes;
    boxes.Expect("framework_tests", "plain", MB_ICONSTOP, IDOK)
        .Expect("ERROR", "owned", MB_ICONINFORMATION, IDOK)
        .Expect("NOTICE", "no owner", 0x31, IDCANCEL);
    EXPECT_EQ(AfxMessageBox("plain", MB_ICONSTOP, 0, kBoxFatal), IDOK);

    CDialog dlg(IDD_TEST);
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    EXPECT_EQ(dlg.MessageBox("owned", "ERROR", MB_ICONINFORMATION, kBoxError), IDOK);
    EXPECT_EQ(AfxShowMessageBox(NULL, "no owner", "NOTICE", 0x31, kBoxQuestion), IDCANCEL);

    ASSERT_EQ(boxes.Seen().size(), 3u);
    EXPECT_EQ(boxes.Seen()[0].hOwner, nullptr);
    EXPECT_EQ(boxes.Seen()[1].hOwner, dlg.m_hWnd);
    EXPECT_EQ(boxes.Seen()[2].hOwner, nullptr);
    // the kind chosen where the box is raised reaches the handler
    EXPECT_EQ(boxes.Seen()[0].kind, kBoxFatal);
    EXPECT_EQ(boxes.Seen()[1].kind, kBoxError);
    EXPECT_EQ(boxes.Seen()[2].kind, kBoxQuestion);
    dlg.DestroyWindow();
}

TEST(MessageBoxSeam, AfxMessageBoxIsOwnedByTheMainWindow)
{
    CWinApp app("Setup");
    CDialog dlg(IDD_TEST);
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    app.m_pMainWnd = &dlg;
    ScriptedBoxes boxes;
    boxes.Expect("Setup", "owned by main", MB_OK, IDOK);
    AfxMessageBox("owned by main", MB_OK, 0, kBoxNotice);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].hOwner, dlg.m_hWnd);
    // the main-window pointer does not outlive the window
    dlg.DestroyWindow();
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

static UINT WINAPI FakeWindowsDirectory(LPSTR buf, UINT)
{
    lstrcpyA(buf, "Q:\\FAKE");
    return 7;
}

TEST(PlatformCalls, AnEntryCanBeReplacedAndRestored)
{
    char buf[MAX_PATH];
    g_afxCalls.GetWindowsDirectoryA = FakeWindowsDirectory;
    EXPECT_EQ(sys::GetWindowsDirectoryA(buf, MAX_PATH), 7u);
    EXPECT_STREQ(buf, "Q:\\FAKE");
    AfxRestorePlatformCalls();
    UINT n = sys::GetWindowsDirectoryA(buf, MAX_PATH);
    EXPECT_GT(n, 0u);
    EXPECT_STRNE(buf, "Q:\\FAKE");
}

TEST(PlatformCalls, FaultsHitTheChosenCallsOnly)
{
    char buf[MAX_PATH];
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_GetWindowsDirectoryA, 2, 2);
        faults.SetFailureError(ERROR_DISK_FULL);
        EXPECT_GT(sys::GetWindowsDirectoryA(buf, MAX_PATH), 0u);
        EXPECT_EQ(sys::GetWindowsDirectoryA(buf, MAX_PATH), 0u);
        EXPECT_EQ(::GetLastError(), (DWORD)ERROR_DISK_FULL);
        EXPECT_EQ(sys::GetWindowsDirectoryA(buf, MAX_PATH), 0u);
        EXPECT_GT(sys::GetWindowsDirectoryA(buf, MAX_PATH), 0u);
        EXPECT_EQ(faults.Count(AFX_CALL_GetWindowsDirectoryA), 4);
        EXPECT_EQ(faults.LastFailed(), "GetWindowsDirectoryA");

        // a fake behind the counting wrapper
        faults.Forward().GetWindowsDirectoryA = FakeWindowsDirectory;
        EXPECT_EQ(sys::GetWindowsDirectoryA(buf, MAX_PATH), 7u);
        EXPECT_EQ(faults.Total(), 5);
    }
    EXPECT_EQ(g_afxCalls.GetWindowsDirectoryA, g_afxSystemCalls.GetWindowsDirectoryA);
}

TEST(PlatformCalls, ACutShortRunFailsEveryCallFromTheNthOverAllEntries)
{
    PlatformFaults faults;
    faults.CutShortAtNthOfAll(3);
    char buf[MAX_PATH];
    EXPECT_NE(sys::_getcwd(buf, MAX_PATH), nullptr);
    EXPECT_GT(sys::GetWindowsDirectoryA(buf, MAX_PATH), 0u);
    EXPECT_EQ(sys::_getcwd(buf, MAX_PATH), nullptr);
    EXPECT_EQ(sys::GetWindowsDirectoryA(buf, MAX_PATH), 0u);
    EXPECT_EQ(faults.FirstFailed(), "the 2nd _getcwd");
    EXPECT_EQ(faults.LastFailed(), "GetWindowsDirectoryA");
    EXPECT_EQ(NthCall(AFX_CALL__chdir, 11), "the 11th _chdir");
    EXPECT_EQ(NthCall(AFX_CALL__chdir, 23), "the 23rd _chdir");
}

TEST(PlatformCalls, ClosingCallsReleaseEvenWhenFailed)
{
    PlatformFaults faults;
    faults.Fail(AFX_CALL_CloseHandle);
    ::CreateDirectoryA("C:\\scratch", NULL);
    HANDLE h = sys::CreateFileA("C:\\scratch\\closing.tmp", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(sys::CloseHandle(h));
    // the file is closed all the same: it can be deleted at once
    EXPECT_TRUE(::DeleteFileA("C:\\scratch\\closing.tmp"));
}

TEST(PlatformCalls, SystemLibrariesComeFromTheSystemDirectory)
{
    PlatformFaults faults;
    std::string loaded;
    static std::string* s_loaded;
    s_loaded = &loaded;
    faults.Forward().LoadLibraryA = [](LPCSTR name) -> HMODULE {
        *s_loaded = name;
        return ::LoadLibraryA(name);
    };
    HMODULE h = AfxLoadSystemLibrary("version.dll");
    EXPECT_NE(h, nullptr);
    char sys32[MAX_PATH];
    ::GetSystemDirectoryA(sys32, MAX_PATH);
    EXPECT_EQ(loaded, std::string(sys32) + "\\version.dll");
    faults.Fail(AFX_CALL_LoadLibraryA);
    EXPECT_EQ(AfxLoadSystemLibrary("version.dll"), nullptr);

    // A late-bound row is found in its library from there; where the library or the
    // function is missing, the call fails with the row's failure value.
    ULARGE_INTEGER avail, total, totalFree;
    EXPECT_TRUE(sys::GetDiskFreeSpaceExA("C:\\", &avail, &total, &totalFree));
    EXPECT_EQ(loaded, std::string(sys32) + "\\kernel32.dll");
    faults.Fail(AFX_CALL_LoadLibraryA);
    EXPECT_EQ(sys::VerInstallFileA(0, "a", "b", "C:\\", "C:\\", "C:\\", NULL, NULL), (DWORD)VIF_CANNOTCREATE);
    EXPECT_EQ(::GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
    faults.Forward().GetProcAddress = [](HMODULE, LPCSTR) -> FARPROC { return NULL; };
    EXPECT_EQ(sys::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
}

// Each owner closes what it holds, once, through the table when it goes out of scope,
// and nothing where the call that was to make it failed: each row holds one thing and
// fails to open another, with the calls made to open them.
TEST(PlatformCalls, OwnersCloseWhatTheyHoldOnce)
{
    const struct {
        const char* owner;
        AfxCallId close;
        long openings;
        void (*holdOneMissOne)();
    } rows[] = {
        { "CRegKey", AFX_CALL_RegCloseKey, 2, [] {
             CRegKey key, missing;
             EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE", KEY_READ), ERROR_SUCCESS);
             EXPECT_NE(missing.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\NoSuchKey", KEY_READ), ERROR_SUCCESS);
         } },
        { "CFindFile", AFX_CALL__findclose, 2, [] {
             struct _finddata_t fd;
             CFindFile find, none;
             EXPECT_TRUE(find.FindFirst("C:\\*", &fd) && !none.FindFirst("C:\\NoSuchName*", &fd));
         } },
        { "CFileHandle", AFX_CALL_CloseHandle, 2, [] {
             CFileHandle dir(sys::CreateFileA("C:\\", 0, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL));
             CFileHandle noFile(sys::CreateFileA("C:\\NoSuchName", 0, 0, NULL, OPEN_EXISTING, 0, NULL));
             EXPECT_TRUE(dir.IsOpen() && !noFile.IsOpen());
         } },
        { "CHandle", AFX_CALL_CloseHandle, 1, [] {
             CHandle process(sys::OpenProcess(SYNCHRONIZE, FALSE, ::GetCurrentProcessId())), noProcess(NULL);
             EXPECT_TRUE(process.IsOpen() && !noProcess.IsOpen());
         } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.owner);
        PlatformFaults faults;
        row.holdOneMissOne();
        EXPECT_EQ(faults.Count(row.close), 1);
        EXPECT_EQ(faults.Total(), row.openings + 1);
    }
}

TEST(CommandLine, ArgumentsFollowTheProgramsNameQuotedOrNot)
{
    // Unquoted, the program's own full path is the name whole, blanks and all.
    const struct { const char* line; const char* args; } cases[] = {
        { "\"C:\\My Downloads\\Setup.exe\"  /S /D=C:\\x", "/S /D=C:\\x" }, { "C:\\My Downloads\\Setup.exe", "" },
        { "c:\\my downloads\\SETUP.EXE /S", "/S" }, { "C:\\My Downloads\\Setup.exe.bak /S", "Downloads\\Setup.exe.bak /S" },
        { "Setup.exe\t/S", "/S" } };
    for (const auto& c : cases) {
        std::string line = c.line;
        EXPECT_STREQ(AfxCommandLineArguments(&line[0], "C:\\My Downloads\\Setup.exe"), c.args) << c.line;
    }
}
