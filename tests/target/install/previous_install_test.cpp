// A previous installation found by the opening, removed after Yes at the overwrite
// question, and a new install into its directory. (Each probe and what remove mode
// deletes: tests/target/ops/previous_install_test.cpp; No at the question:
// tests/target/install/opening_test.cpp.)
#include "flow_fixture.h"

using testing::ElementsAre;

namespace {

class PreviousInstallTest : public FlowTest {
protected:
    void SetUp() override
    {
        FlowTest::SetUp();
        old = *scratch / "Old\\Merolin";
    }
    std::string old;  // a previous installation's directory
};

// Yes at the overwrite question: the previous installation's files, links and
// keys go, its directory is proposed, and a new install into it completes.
TEST_F(PreviousInstallTest, ReinstallOverAPreviousInstallation)
{
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, old.c_str(), NULL));
    for (const char* name : { "Merolin.exe", "Merolin.hlp", "Uninstall.exe", "Merolin.txt", "US-Caps_FITB.MR1" })
        WriteWholeFile(old + "\\" + name, "old");
    RegPutString(kAppPathsKey, "Path", old);
    RegPutString(kUninstallKey, "UninstallString", old + "\\Uninstall.exe");
    RegPutString(kVendorVersionKey, "", "1");
    HKEY vendor;  // an installation without a desktop link (/NODESKTOP): the upgrade keeps it so
    const DWORD one = 1;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVendorKey, 0, KEY_SET_VALUE, &vendor));
    ::RegSetValueExA(vendor, "NoDesktopLink", 0, REG_DWORD, (const BYTE*)&one, sizeof one), ::RegCloseKey(vendor);

    boxes.Expect("Note",
                 "This will overwrite any previous installation:\r\n\r\nAre you sure you want to continue installing Merolin?",
                 MB_YESNO | MB_ICONEXCLAMATION, IDYES);
    ASSERT_TRUE(flow.Open());  // the fixture's flow opens again on the system as prepared
    ASSERT_TRUE(ViewOpen());
    EXPECT_EQ(old, std::string(g_strInstallDir));
    EXPECT_EQ(old, view.target);
    EXPECT_EQ("To install Merolin, at least\r\n500 Kb of free disk space is required.", Status());
    EXPECT_THAT(ListDir(old), ElementsAre("MR.OLD", "US-Caps_FITB.MR1"));
    EXPECT_FALSE(RegKeyExists(kAppPathsKey));
    EXPECT_FALSE(RegKeyExists(kUninstallKey));
    EXPECT_FALSE(RegKeyExists(kVendorKey));

    ExpectCompletion(IDNO);
    flow.Install();
    EXPECT_FALSE(ViewOpen());
    EXPECT_EQ(7u, ListDir(old).size());
    EXPECT_EQ("MZ", ReadWholeFile(old + "\\Merolin.exe").substr(0, 2));
    EXPECT_EQ(old, RegString(kAppPathsKey, "Path"));
    EXPECT_EQ("\"" + old + "\\Uninstall.exe\"", RegString(kUninstallKey, "UninstallString"));
    DWORD kept = 0, n = sizeof kept;
    EXPECT_FALSE(DesktopLinkExists());
    EXPECT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_LOCAL_MACHINE, kVendorKey, "NoDesktopLink", RRF_RT_REG_DWORD, NULL, &kept, &n));
    EXPECT_EQ(1u, kept);
}

} // namespace
