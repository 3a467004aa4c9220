// DetectPreviousInstall as the opening runs it: each of the five probes alone, the
// previous directory becoming the proposal, long paths; and SetPreviousInstallAside,
// the removal: what it sets aside and what it leaves. (The opening that removes what
// it found, after the overwrite question: tests/target/install/.)
#include "ops_fixture.h"

using testing::ElementsAre;
using testing::UnorderedElementsAre;

namespace {

class PreviousInstallTest : public OpsTest {
protected:
    PreviousInstallTest()
    {
        g_strInstallDir = target.c_str();
        g_strStartMenuDir = group.c_str();
        RemoveTree(group);
    }
    // The probe as the opening runs it: on the proposed directory and the program group.
    BOOL Detect()
    {
        BOOL bPathRead = FALSE;
        const BOOL bFound = ops::DetectPreviousInstall(machine, g_strInstallDir, g_strStartMenuDir, &bPathRead);
        pathRead = bPathRead != FALSE;
        return bFound;
    }
    ~PreviousInstallTest() override
    {
        journal.Close(TRUE);
        RemoveTree(group);
    }
    std::vector<std::string> GroupFiles() const { return ListDir(group); }

    ScratchDir scratch{ CurrentTestName() };
    std::string old = scratch / "Old\\Merolin";  // a previous installation's directory
    std::string target = scratch / "Apps\\Merolin";   // the proposed directory (not there yet)
    std::string group = std::string(machine.LinkFolder(CScope::kUserGroup));  // the program group (not there yet)
    bool pathRead = false;
    ops::CJournal journal{ machine, NoNote };
};

TEST_F(PreviousInstallTest, CleanSystemFindsNothing)
{
    EXPECT_FALSE(Detect());
    EXPECT_EQ(target, std::string(g_strInstallDir));
    EXPECT_FALSE(pathRead);
    EXPECT_FALSE(DirExists(target));
    EXPECT_FALSE(DirExists(group));
    EXPECT_FALSE(AnyProductKey());
    EXPECT_TRUE(boxes.Seen().empty());
}

// Each key alone is an installation, a key below the vendor's too.
TEST_F(PreviousInstallTest, KeyAloneIsFound)
{
    for (const char* key : { kAppPathsKey, kUninstallKey, "SOFTWARE\\Tolvane Software\\Merolin\\1.31\\Deeper" }) {
        RegPutString(key, "Data", "1");
        EXPECT_TRUE(Detect()) << key;
        EXPECT_TRUE(RegKeyExists(key)) << "the probe only looks";
        EXPECT_EQ(target, std::string(g_strInstallDir)) << "no Path, no new proposal";
        RemoveProductKeys();
    }
}

// An existing directory counts even when empty: its search lists ".".
TEST_F(PreviousInstallTest, EmptyInstallDirectoryAloneIsFound)
{
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, target.c_str(), NULL));
    EXPECT_TRUE(Detect());
}

TEST_F(PreviousInstallTest, EmptyProgramGroupAloneIsFound)
{
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, group.c_str(), NULL));
    EXPECT_TRUE(Detect());
}

// A recorded "Path" becomes the proposal, the new install directory and the field.
TEST_F(PreviousInstallTest, RecordedPathBecomesTheProposal)
{
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, old.c_str(), NULL));
    WriteWholeFile(old + "\\Merolin.exe", "x");
    RegPutString(kAppPathsKey, "Path", old);
    EXPECT_TRUE(Detect());
    EXPECT_EQ(old, std::string(g_strInstallDir));
    EXPECT_TRUE(pathRead);
    EXPECT_TRUE(FileExists(old + "\\Merolin.exe"));
}

// The removal sets aside the program files ("Merolin.*", "Uninstall.exe") and the
// three program-group links, and deletes the product's keys with all below them;
// every other file, every subdirectory, both folders and the keys beside stay.
TEST_F(PreviousInstallTest, RemovalTakesOnlyTheProductsFilesLinksAndKeys)
{
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, (old + "\\Merolin.d").c_str(), NULL));
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, (old + "\\sub").c_str(), NULL));
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, group.c_str(), NULL));
    for (const char* name : { "Merolin.exe", "Merolin.hlp", "Merolin.txt", "Merolin.ini", "Uninstall.exe",
                              "US-Caps_FITB.MR1", "readme.txt", "MerolinData.txt", "Uninstall.exe.bak",
                              "Merolin.d\\Merolin.exe", "sub\\Uninstall.exe" })
        WriteWholeFile(old + "\\" + name, "x");
    for (const char* name : { "Merolin.lnk", "Merolin Help.lnk", "Uninstall Merolin.lnk", "Other.lnk" })
        WriteWholeFile(group + "\\" + name, "x");
    ::SetFileAttributesA((old + "\\Merolin.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    RegPutString(kAppPathsKey, "Path", old);
    RegPutString(kUninstallKey, "DisplayName", "Merolin 1.31");
    RegPutString(kVendorVersionKey, "", "1040000000");
    const char* const beside[] = { "SOFTWARE\\Tolvane Software\\Other",
                                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Merolin2.exe",
                                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Merolin2" };
    for (const char* key : beside)
        RegPutString(key, "", "x");
    const std::vector<std::string> before = ListTree(old);

    EXPECT_TRUE(Detect());
    EXPECT_EQ(before, ListTree(old)) << "the probe deletes nothing";
    EXPECT_EQ(4u, GroupFiles().size());

    ASSERT_TRUE(journal.Start());
    EXPECT_TRUE(ops::SetPreviousInstallAside(journal, g_strInstallDir));
    EXPECT_THAT(ListTree(old),
                UnorderedElementsAre("Merolin.d\\", "Merolin.d\\Merolin.exe", "sub\\", "sub\\Uninstall.exe",
                                     "US-Caps_FITB.MR1", "readme.txt", "MerolinData.txt", "Uninstall.exe.bak",
                                     "MR.OLD\\", "MR.OLD\\Merolin.exe", "MR.OLD\\Merolin.hlp", "MR.OLD\\Merolin.txt",
                                     "MR.OLD\\Merolin.ini", "MR.OLD\\Uninstall.exe"))
        << "set aside, a read-only file too";
    EXPECT_THAT(GroupFiles(), ElementsAre("Other.lnk"));
    EXPECT_FALSE(RegKeyExists(kAppPathsKey));
    EXPECT_FALSE(RegKeyExists(kUninstallKey));
    EXPECT_FALSE(RegKeyExists(kVendorKey));
    for (const char* key : beside) {
        EXPECT_TRUE(RegKeyExists(key)) << key;
        RegRemoveTree(key);
    }
    EXPECT_EQ(old, std::string(g_strInstallDir));
    EXPECT_TRUE(boxes.Seen().empty()) << "nothing is reported";
    ::SetFileAttributesA((old + "\\MR.OLD\\Merolin.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A "Path" that does not fit the 260-byte buffer is not read; the key still counts.
TEST_F(PreviousInstallTest, PathTooLongForTheBufferIsNotRead)
{
    RegPutString(kAppPathsKey, "Path", "C:\\" + std::string(300, 'p'));
    EXPECT_TRUE(Detect());
    EXPECT_EQ(target, std::string(g_strInstallDir));
}

// A string value need not end in a NUL: one that fills the buffer is taken up to
// the length the registry reports, never beyond it.
size_t g_valueLength;
LONG WINAPI UnterminatedPath(HKEY, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    if (lstrcmpA(name, "Path") != 0 || !data || !size || *size < g_valueLength)
        return ERROR_MORE_DATA;
    memset(data, 'Z', *size);  // what lies behind the value in the buffer
    std::string value = "C:\\" + std::string(g_valueLength - 3, 'v');
    memcpy(data, value.data(), g_valueLength);
    *size = (DWORD)g_valueLength;
    if (type)
        *type = REG_SZ;
    return ERROR_SUCCESS;
}

TEST_F(PreviousInstallTest, PathWithoutTerminatorStaysWithinTheBuffer)
{
    RegPutString(kAppPathsKey, "", "x");
    PlatformFaults faults;
    faults.Forward().RegQueryValueExA = &UnterminatedPath;
    for (size_t length : { 20u, 259u, 260u }) {
        g_valueLength = length;
        EXPECT_TRUE(Detect());
        EXPECT_EQ("C:\\" + std::string(length - 3, 'v'), std::string(g_strInstallDir)) << length;
    }
}

// Directories too long for the system's search find nothing.
TEST_F(PreviousInstallTest, VeryLongDirectoriesFindNothing)
{
    g_strInstallDir = ("C:\\scratch\\" + std::string(300, 'l')).c_str();
    g_strStartMenuDir = ("C:\\scratch\\" + std::string(400, 'g')).c_str();
    EXPECT_FALSE(Detect());
}

} // namespace
