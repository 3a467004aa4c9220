// CInstallFlow::Remove: No and a file in use change nothing; keys go last; the user's files stay;
// with nothing installed, an empty group and maker's key left by a cut removal go.
#include "flow_fixture.h"

static std::string g_order;  // f: a file moved aside, l: a link deleted, k: a key deleted
static BOOL WINAPI MoveLogged(LPCSTR from, LPCSTR to) { return g_order += 'f', ::MoveFileA(from, to); }
static int __cdecl RemoveLogged(const char* path) { return g_order += strstr(path, ".lnk") ? "l" : "", ::remove(path); }
static LONG WINAPI DeleteKeyLogged(HKEY parent, LPCSTR name) { return g_order += 'k', ::RegDeleteKeyA(parent, name); }

TEST_F(FlowTest, RemovalKeysLastUsersFilesStayAndAFileInUseLeavesEverything)
{
    const std::string userGroup = common::ProgramsDir() + "\\Merolin", sample = target + "\\" + kSampleFiles[1];
    const std::string question = "This will remove Merolin from this computer:\r\n\r\nAre you sure you want to continue?";
    ExpectCompletion(IDNO);
    flow.Install();
    const std::string before = InstallationState({ target, userGroup });
    boxes.Expect("Note", question, MB_YESNO | MB_ICONEXCLAMATION, IDNO);
    EXPECT_EQ(kOutcomeUserEnded, CInstallFlow(view, options, kMachineScope).Remove());
    HANDLE held = ::CreateFileA((target + "\\Merolin.hlp").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    boxes.Expect("Note", question, MB_YESNO | MB_ICONEXCLAMATION, IDYES);
    ExpectFatal("Merolin could not be removed: it has been left as it was.");
    EXPECT_EQ(kOutcomeFailed, CInstallFlow(view, options, kMachineScope).Remove());
    ::CloseHandle(held);
    EXPECT_EQ(before, InstallationState({ target, userGroup }));
    WriteWholeFile(target + "\\notes.txt", "mine");
    WriteWholeFile(target + "\\" + kSampleFiles[0], "changed");
    WriteWholeFile(sample, ReadWholeFile(sample));  // the same, written now
    PlatformFaults faults;
    faults.Forward().MoveFileA = MoveLogged, faults.Forward().remove = RemoveLogged;
    faults.Forward().RegDeleteKeyA = DeleteKeyLogged;
    boxes.Expect("Note", question, MB_YESNO | MB_ICONEXCLAMATION, IDYES);
    boxes.Expect("Remove Merolin", "Merolin has been removed from this computer.", MB_ICONINFORMATION, IDOK);
    g_order.clear();
    EXPECT_EQ(kOutcomeInstalled, CInstallFlow(view, options, kMachineScope).Remove());
    EXPECT_EQ("ffffffllllkkkkk", g_order);  // the installer's copy too; the maker's key, once empty, last of all
    EXPECT_THAT(TargetFiles(), testing::UnorderedElementsAre(kSampleFiles[0], kSampleFiles[1], "notes.txt"));
    EXPECT_FALSE(DesktopLinkExists() || DirExists(userGroup) || RegKeyExists("SOFTWARE\\Tolvane Software"));
    EXPECT_FALSE(AnyProductKey() || FileExists(JournalPath()) ||
                 FileExists(std::string(kMachineScope.JournalFolder(0)) + "\\MerolinSetup.exe"));
    // A removal cut short after its completion may leave the maker's key and the group
    // empty: the next one, finding nothing installed, tidies them.
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tolvane Software", &hKey));
    RegCloseKey(hKey);
    ASSERT_TRUE(::CreateDirectoryA(userGroup.c_str(), NULL));
    boxes.Expect("Remove Merolin", "Merolin is not installed on this computer.", MB_ICONINFORMATION, IDOK);
    EXPECT_EQ(kOutcomeInstalled, CInstallFlow(view, options, kMachineScope).Remove());
    EXPECT_FALSE(DirExists(userGroup) || RegKeyExists("SOFTWARE\\Tolvane Software"));
}

// A run for the user: the program in the user's programs folder, the keys below
// HKEY_CURRENT_USER, the links in the user's own folders, the record and the installer's
// copy in the user's local application data. It leaves the machine's installation as it
// was, and the machine's removal leaves the user's.
static bool UserKey(const char* path)
{
    HKEY hKey;
    const bool there = ::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &hKey) == ERROR_SUCCESS;
    return there && !::RegCloseKey(hKey);
}

TEST_F(FlowTest, ARunForTheUserStaysInTheUsersPlacesAndLeavesTheMachinesInstallation)
{
    const std::string question = "This will remove Merolin from this computer:\r\n\r\nAre you sure you want to continue?";
    const std::string local = common::ShellFolder(CSIDL_LOCAL_APPDATA), dir = local + "\\Programs\\Merolin";
    const std::string userGroup = common::ProgramsDir() + "\\Merolin", copy = local + "\\Tolvane Software Setup\\MerolinSetup.exe";
    options.m_bAllUsers = TRUE;  // the machine's links in all users' folders, as a silent run puts them
    const std::string allUsersGroup = common::ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Merolin";
    ExpectCompletion(IDNO);
    flow.Install();
    const std::string machine = InstallationState({ target, allUsersGroup });
    CRunOptions user;
    user.m_bCurrentUser = TRUE;
    FakeView userView;
    CInstallFlow userFlow(userView, user, kUserScope);
    ASSERT_TRUE(userFlow.Open());
    EXPECT_EQ(userView.target, dir);
    ExpectCompletion(IDNO);
    userFlow.Install();
    EXPECT_EQ(ListDir(dir).size(), 7u);
    EXPECT_TRUE(DesktopLinkExists() && FileExists(userGroup + "\\Merolin Help.lnk") && FileExists(copy));
    HKEY hKey;
    char quiet[MAX_PATH] = "";
    DWORD n = sizeof quiet;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &hKey));
    ::RegQueryValueExA(hKey, "QuietUninstallString", NULL, NULL, (BYTE*)quiet, &n), ::RegCloseKey(hKey);
    EXPECT_EQ(std::string(quiet), "\"" + copy + "\" /S /REMOVE /CURRENTUSER");
    EXPECT_TRUE(UserKey(kAppPathsKey) && UserKey(kVendorVersionKey));
    EXPECT_EQ(machine, InstallationState({ target, allUsersGroup }));
    boxes.Expect("Note", question, MB_YESNO | MB_ICONEXCLAMATION, IDYES);
    boxes.Expect("Remove Merolin", "Merolin has been removed from this computer.", MB_ICONINFORMATION, IDOK);
    EXPECT_EQ(kOutcomeInstalled, CInstallFlow(view, options, kMachineScope).Remove());
    EXPECT_FALSE(AnyProductKey() || FileExists(target + "\\Merolin.exe") || DirExists(allUsersGroup));
    EXPECT_TRUE(UserKey(kUninstallKey) && FileExists(dir + "\\Merolin.exe") && DesktopLinkExists() && FileExists(copy));
    boxes.Expect("Note", question, MB_YESNO | MB_ICONEXCLAMATION, IDYES);
    boxes.Expect("Remove Merolin", "Merolin has been removed from this computer.", MB_ICONINFORMATION, IDOK);
    EXPECT_EQ(kOutcomeInstalled, CInstallFlow(userView, user, kUserScope).Remove());
    EXPECT_FALSE(UserKey("Software\\Tolvane Software") || UserKey(kUninstallKey) || UserKey(kAppPathsKey));
    EXPECT_FALSE(DirExists(dir) || DesktopLinkExists() || DirExists(userGroup) || FileExists(copy));
}
