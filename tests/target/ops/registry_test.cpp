// WriteRegistryEntries, DeleteRegistrySubkey and DeleteRegistryTree against the
// real registry of the test prefix; the calls are recorded on their way through.
#include "installed_version.h"
#include "ops_fixture.h"

using testing::ElementsAre;

namespace {

const char kTestRoot[] = "SOFTWARE\\MerolinTests";

struct RegLog {
    std::vector<std::string> calls;        // what was asked, in order
    std::string failDeleteOf;              // RegDeleteKeyA of this name fails
    LONG failDeleteWith = ERROR_ACCESS_DENIED;
    std::vector<time_t> times;             // answers of time(), in order
};
RegLog* g_log;

std::string Hex(DWORD v)
{
    char buf[16];
    wsprintfA(buf, "%lX", v);
    return buf;
}

LONG WINAPI LogOpen(HKEY key, LPCSTR path, DWORD options, REGSAM access, PHKEY result)
{
    g_log->calls.push_back(std::string("open ") + path + " " + Hex(access));
    return g_afxSystemCalls.RegOpenKeyExA(key, path, options, access, result);
}
LONG WINAPI LogCreate(HKEY key, LPCSTR path, DWORD reserved, LPSTR cls, DWORD options, REGSAM access,
                      LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition)
{
    g_log->calls.push_back(std::string("create ") + path + " " + (cls ? cls : "(null)") + " " + Hex(options) + " " +
                           Hex(access) + (sa ? " sa" : ""));
    return g_afxSystemCalls.RegCreateKeyExA(key, path, reserved, cls, options, access, sa, result, disposition);
}
LONG WINAPI LogSet(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    if (type == REG_DWORD) {
        g_log->calls.push_back(std::string("set ") + name + " REG_DWORD " +
                               (size == sizeof(DWORD) ? std::to_string(*(const DWORD*)data) : "(count wrong)"));
        return g_afxSystemCalls.RegSetValueExA(key, name, reserved, type, data, size);
    }
    // the byte count must take in the terminator and nothing more
    bool terminated = size > 0 && data[size - 1] == 0 && lstrlenA((const char*)data) == (int)size - 1;
    g_log->calls.push_back(std::string("set ") + name + (type == REG_SZ ? " REG_SZ " : " ? ") +
                           (terminated ? "" : "(count wrong) ") + (const char*)data);
    return g_afxSystemCalls.RegSetValueExA(key, name, reserved, type, data, size);
}
LONG WINAPI LogClose(HKEY key)
{
    g_log->calls.push_back("close");
    return g_afxSystemCalls.RegCloseKey(key);
}
LONG WINAPI LogEnum(HKEY key, DWORD index, LPSTR name, LPDWORD size, LPDWORD r, LPSTR c, LPDWORD cs, PFILETIME t)
{
    if (index != 0 || *size != 1024 || r || c || cs || t)
        g_log->calls.push_back("enum with unexpected arguments");
    return g_afxSystemCalls.RegEnumKeyExA(key, index, name, size, r, c, cs, t);
}
LONG WINAPI LogDelete(HKEY key, LPCSTR name)
{
    g_log->calls.push_back(std::string("delete ") + name);
    if (g_log->failDeleteOf == name)
        return g_log->failDeleteWith;
    return g_afxSystemCalls.RegDeleteKeyA(key, name);
}
time_t __cdecl FakeTime(time_t* t)
{
    if (g_log->times.empty())
        return g_afxSystemCalls.time(t);
    time_t now = g_log->times.front();
    g_log->times.erase(g_log->times.begin());
    if (t)
        *t = now;
    return now;
}

std::string KeyClass(const std::string& path)
{
    HKEY h;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return "<missing>";
    char cls[64] = "";
    DWORD n = sizeof cls;
    ::RegQueryInfoKeyA(h, cls, &n, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    ::RegCloseKey(h);
    return cls;
}

void MakeKey(const std::string& path) { RegPutString(path, "v", path); }



} // namespace

class Registry : public OpsTest {
protected:
    void SetUp() override
    {
        OpsTest::SetUp();
        RegRemoveTree(kTestRoot);
        g_log = &log;
        faults.Forward().RegOpenKeyExA = LogOpen;
        faults.Forward().RegCreateKeyExA = LogCreate;
        faults.Forward().RegSetValueExA = LogSet;
        faults.Forward().RegCloseKey = LogClose;
        faults.Forward().RegEnumKeyExA = LogEnum;
        faults.Forward().RegDeleteKeyA = LogDelete;
        targetDir = "D:\\Apps\\Merolin";
    }
    void TearDown() override
    {
        RegRemoveTree(kTestRoot);
        OpsTest::TearDown();
    }
    std::string Under(const std::string& rest) const { return std::string(kTestRoot) + "\\" + rest; }
    LONG DeleteTree(const std::string& parentPath, const char* name)
    {
        HKEY parent;
        EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, parentPath.c_str(), 0, KEY_ALL_ACCESS, &parent), ERROR_SUCCESS);
        LONG r = DeleteRegistryTree(parent, name);
        ::RegCloseKey(parent);
        return r;
    }

    PlatformFaults faults;
    RegLog log;
    CString targetDir;
};

TEST_F(Registry, WritesTheThreeKeysInOrder)
{
    log.times = { 1036756800 };  // noon UTC: the same local date from UTC-11 to UTC+11
    faults.Forward().time = FakeTime;
    EXPECT_TRUE(WriteRegistryEntries(CScope(CScope::kMachine), targetDir, "C:\\Kept\\MerolinSetup.exe"));
    const std::string vendor = "SOFTWARE\\Tolvane Software\\Merolin\\1.31";
    const std::string appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Merolin.exe";
    const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Merolin";
    EXPECT_THAT(log.calls, ElementsAre("open " + vendor + " 20006", "create " + vendor + " Merolin 0 20006",
                                       "set  REG_SZ 1036756800", "open SOFTWARE\\Tolvane Software\\Merolin 20006",
                                       "set InstallerCopy REG_SZ C:\\Kept\\MerolinSetup.exe", "close", "close",
                                       "open " + appPaths + " 20006",
                                       "create " + appPaths + " Merolin 0 20006",
                                       "set  REG_SZ D:\\Apps\\Merolin\\Merolin.exe", "set Path REG_SZ D:\\Apps\\Merolin",
                                       "close",
                                       "open " + uninstall + " 20006",
                                       "create " + uninstall + " Merolin 0 20006",
                                       "set UninstallString REG_SZ \"D:\\Apps\\Merolin\\Uninstall.exe\"",
                                       "set QuietUninstallString REG_SZ \"C:\\Kept\\MerolinSetup.exe\" /S /REMOVE",
                                       "set DisplayVersion REG_SZ 1.31", "set VersionMajor REG_DWORD 1",
                                       "set VersionMinor REG_DWORD 31", "set Publisher REG_SZ Tolvane Software",
                                       "set DisplayIcon REG_SZ D:\\Apps\\Merolin\\Merolin.exe",
                                       "set InstallLocation REG_SZ D:\\Apps\\Merolin",
                                       "set InstallDate REG_SZ 20021108", "set EstimatedSize REG_DWORD 0",
                                       "set NoModify REG_DWORD 1", "set NoRepair REG_DWORD 1",
                                       "set DisplayName REG_SZ Merolin 1.31", "close"));
    EXPECT_EQ(RegString(vendor, ""), "1036756800");
    EXPECT_EQ(RegString(appPaths, ""), "D:\\Apps\\Merolin\\Merolin.exe");
    EXPECT_EQ(RegString(appPaths, "Path"), "D:\\Apps\\Merolin");
    EXPECT_EQ(RegString(uninstall, "DisplayName"), "Merolin 1.31");
    EXPECT_EQ(RegString(uninstall, "UninstallString"), "\"D:\\Apps\\Merolin\\Uninstall.exe\"");
    // created keys carry the product's class
    EXPECT_EQ(KeyClass(vendor), "Merolin");
    EXPECT_EQ(KeyClass(uninstall), "Merolin");
    EXPECT_TRUE(boxes.Seen().empty());
}

// The uninstall entry's size: the payload files the directory holds, in KB rounded up;
// no other file, no directory of a payload file's name.
TEST_F(Registry, EstimatedSizeIsThatOfThePayloadFilesInTheDirectoryRoundedUp)
{
    ScratchDir dir{ CurrentTestName() };
    WriteWholeFile(dir / "Vocab_MULT.MR1", std::string(600, 'x'));
    WriteWholeFile(dir / "notes.txt", std::string(5000, 'x'));
    ::CreateDirectoryA((dir / "Merolin.hlp").c_str(), NULL);
    for (const auto& s : { std::make_pair(1500, 3u), std::make_pair(1448, 2u), std::make_pair(2473, 4u) }) {
        WriteWholeFile(dir / "Merolin.exe", std::string(s.first, 'x'));
        EXPECT_TRUE(WriteRegistryEntries(CScope(CScope::kMachine), dir.Path().c_str()));
        DWORD size = 0, type = 0, n = sizeof size;
        ::RegGetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", RRF_RT_ANY, &type, &size, &n);
        EXPECT_EQ(type, (DWORD)REG_DWORD);
        EXPECT_EQ(size, s.second) << s.first + 600 << " bytes";
    }
}

TEST_F(Registry, InstallTimeIsPlainDecimalOfTheRealClock)
{
    time_t before = ::time(NULL);
    EXPECT_TRUE(WriteRegistryEntries(CScope(CScope::kMachine), targetDir));
    time_t after = ::time(NULL);
    std::string value = RegString(kVendorVersionKey, "");
    ASSERT_FALSE(value.empty());
    EXPECT_EQ(value.find_first_not_of("0123456789"), std::string::npos) << value;
    EXPECT_NE(value[0], '0');
    unsigned long long stamp = std::stoull(value);
    EXPECT_GE(stamp, (unsigned long long)before);
    EXPECT_LE(stamp, (unsigned long long)after);

    // A later install replaces it; times past 2^31 stay unsigned.
    log.times = { 4000000000LL };
    faults.Forward().time = FakeTime;
    EXPECT_TRUE(WriteRegistryEntries(CScope(CScope::kMachine), targetDir));
    EXPECT_EQ(RegString(kVendorVersionKey, ""), "4000000000");
    // A clock that gives no date: the date is left out, and that is no failure.
    RegRemoveTree(kUninstallKey);
    log.times = { (time_t)-1 };
    EXPECT_TRUE(WriteRegistryEntries(CScope(CScope::kMachine), targetDir));
    EXPECT_EQ(RegString(kUninstallKey, "InstallDate"), "<missing>");
}

TEST_F(Registry, ExistingKeysAreReusedAndTheirOtherValuesKept)
{
    RegPutString(kAppPathsKey, "Path", "C:\\Old");
    RegPutString(kAppPathsKey, "Other", "kept");
    RegPutString(kUninstallKey, "Comments", "kept too");
    RegPutString(kVendorVersionKey, "", "1");
    log.calls.clear();
    targetDir = "E:\\New Place\\";  // used as it is, with its backslash
    EXPECT_TRUE(WriteRegistryEntries(CScope(CScope::kMachine), targetDir));
    for (const std::string& call : log.calls)
        EXPECT_NE(call.compare(0, 6, "create"), 0) << call;
    EXPECT_EQ(RegString(kAppPathsKey, "Path"), "E:\\New Place\\");
    EXPECT_EQ(RegString(kAppPathsKey, ""), "E:\\New Place\\\\Merolin.exe");
    EXPECT_EQ(RegString(kAppPathsKey, "Other"), "kept");
    EXPECT_EQ(RegString(kUninstallKey, "Comments"), "kept too");
    EXPECT_EQ(RegString(kUninstallKey, "UninstallString"), "\"E:\\New Place\\\\Uninstall.exe\"");
    EXPECT_NE(RegString(kVendorVersionKey, ""), "1");
}

TEST_F(Registry, WithoutAccessNothingIsWrittenAndTheFailureIsReported)
{
    faults.Fail(AFX_CALL_RegOpenKeyExA, 1, -1);
    faults.Fail(AFX_CALL_RegCreateKeyExA, 1, -1);
    EXPECT_FALSE(WriteRegistryEntries(CScope(CScope::kMachine), targetDir));
    EXPECT_EQ(faults.Count(AFX_CALL_RegOpenKeyExA), 3);
    EXPECT_EQ(faults.Count(AFX_CALL_RegCreateKeyExA), 3);
    EXPECT_EQ(faults.Count(AFX_CALL_RegSetValueExA), 0);
    EXPECT_EQ(faults.Count(AFX_CALL_RegCloseKey), 0);
    EXPECT_FALSE(RegKeyExists(kAppPathsKey));
    EXPECT_TRUE(boxes.Seen().empty());

    // One key out of reach: the others are written all the same.
    faults.Fail(AFX_CALL_RegOpenKeyExA, 2, 1);
    faults.Fail(AFX_CALL_RegCreateKeyExA, 2, 1);
    EXPECT_FALSE(WriteRegistryEntries(CScope(CScope::kMachine), targetDir));
    EXPECT_TRUE(RegKeyExists(kVendorVersionKey));
    EXPECT_FALSE(RegKeyExists(kAppPathsKey));
    EXPECT_EQ(RegString(kUninstallKey, "DisplayName"), "Merolin 1.31");

    // A value the registry refuses fails the whole, though every key was made.
    for (int nth = 1; nth <= 5; ++nth) {
        faults.Fail(AFX_CALL_RegSetValueExA, nth, 1);
        EXPECT_FALSE(WriteRegistryEntries(CScope(CScope::kMachine), targetDir)) << "value " << nth;
        EXPECT_TRUE(RegKeyExists(kAppPathsKey) && RegKeyExists(kUninstallKey)) << "value " << nth;
    }
    RegRemoveTree("SOFTWARE\\Tolvane Software");
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(Registry, ValuesLongerThanTheOldBufferAreWrittenWhole)
{
    std::string dir = "C:\\" + std::string(300, 'x');
    targetDir = dir.c_str();
    EXPECT_TRUE(WriteRegistryEntries(CScope(CScope::kMachine), targetDir));
    EXPECT_EQ(RegString(kAppPathsKey, "Path"), dir);
    EXPECT_EQ(RegString(kAppPathsKey, ""), dir + "\\Merolin.exe");
    EXPECT_EQ(RegString(kUninstallKey, "UninstallString"), "\"" + dir + "\\Uninstall.exe\"");
    for (const std::string& call : log.calls)
        EXPECT_EQ(call.find("(count wrong)"), std::string::npos) << call;
}

TEST_F(Registry, TreeRemovalRefusesAnEmptyNameAndMissingKeys)
{
    MakeKey(Under("Present"));
    log.calls.clear();
    EXPECT_EQ(DeleteTree(kTestRoot, ""), ERROR_BADKEY);
    EXPECT_EQ(DeleteTree(kTestRoot, NULL), ERROR_BADKEY);
    EXPECT_TRUE(log.calls.empty());  // the registry was not touched
    EXPECT_EQ(DeleteTree(kTestRoot, "Absent"), ERROR_CANTOPEN);
    EXPECT_THAT(log.calls, ElementsAre("open Absent 10008"));
    EXPECT_TRUE(RegKeyExists(Under("Present")));
}

TEST_F(Registry, TreesAreRemovedBottomUp)
{
    for (const char* key : { "Root\\A\\A1", "Root\\A\\A2\\Deep", "Root\\B", "Root\\C\\C1" })
        MakeKey(Under(key));
    MakeKey(Under("Sibling"));
    log.calls.clear();
    EXPECT_EQ(DeleteTree(kTestRoot, "Root"), ERROR_SUCCESS);
    std::vector<std::string> deletes;
    for (const std::string& call : log.calls) {
        EXPECT_NE(call, "enum with unexpected arguments");
        if (call.compare(0, 7, "delete ") == 0)
            deletes.push_back(call.substr(7));
        if (call.compare(0, 5, "open ") == 0)
            EXPECT_EQ(call.substr(call.size() - 6), " 10008") << call;
    }
    // Children before their parents; each remaining sibling found again at index 0.
    EXPECT_THAT(deletes, ElementsAre("A1", "Deep", "A2", "A", "B", "C1", "C", "Root"));
    EXPECT_FALSE(RegKeyExists(Under("Root")));
    EXPECT_TRUE(RegKeyExists(Under("Sibling")));

    // A key without children goes at once.
    MakeKey(Under("Leaf"));
    log.calls.clear();
    EXPECT_EQ(DeleteTree(kTestRoot, "Leaf"), ERROR_SUCCESS);
    EXPECT_THAT(log.calls, ElementsAre("open Leaf 10008", "delete Leaf", "close"));
}

TEST_F(Registry, AnUndeletableChildPassesItsErrorUpThroughEveryLevel)
{
    for (const char* key : { "Root\\A\\AA\\X1", "Root\\A\\AA\\X2", "Root\\A\\AA\\X3", "Root\\B" })
        MakeKey(Under(key));
    log.failDeleteOf = "X2";
    log.failDeleteWith = ERROR_ACCESS_DENIED;
    EXPECT_EQ(DeleteTree(kTestRoot, "Root"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(RegKeyExists(Under("Root\\A\\AA\\X1")));  // deleted before the error: stays deleted
    EXPECT_TRUE(RegKeyExists(Under("Root\\A\\AA\\X2")));
    EXPECT_TRUE(RegKeyExists(Under("Root\\A\\AA\\X3")));   // not reached
    EXPECT_TRUE(RegKeyExists(Under("Root\\B")));
    // every level stopped: nothing after the failed delete
    ASSERT_FALSE(log.calls.empty());
    EXPECT_EQ(log.calls.back(), "close");
    int deletesAfter = 0;
    bool seen = false;
    for (const std::string& call : log.calls) {
        if (seen && call.compare(0, 7, "delete ") == 0)
            ++deletesAfter;
        seen = seen || call == "delete X2";
    }
    EXPECT_EQ(deletesAfter, 0);

    // Another code, from the enumeration two levels down.
    log.failDeleteOf.clear();
    faults.SetFailureError(ERROR_ACCESS_DENIED);
    faults.Fail(AFX_CALL_RegEnumKeyExA, 3);  // Root, A, AA
    EXPECT_EQ(DeleteTree(kTestRoot, "Root"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(RegKeyExists(Under("Root\\A\\AA\\X2")));
    log.failDeleteOf = "AA";
    log.failDeleteWith = ERROR_KEY_DELETED;
    EXPECT_EQ(DeleteTree(kTestRoot, "Root"), ERROR_KEY_DELETED);
    EXPECT_FALSE(RegKeyExists(Under("Root\\A\\AA\\X3")));
    EXPECT_TRUE(RegKeyExists(Under("Root\\A\\AA")));
}

TEST_F(Registry, KeyPathRemovalTakesTheKeyWithItsTreeAndSaysWhetherItIsGone)
{
    MakeKey(Under("Parent\\Child\\Grandchild"));
    MakeKey(Under("Parent\\Other"));
    log.calls.clear();
    EXPECT_TRUE(DeleteKeyPath(CScope(CScope::kMachine), Under("Parent\\Child").c_str()));
    ASSERT_FALSE(log.calls.empty());
    EXPECT_EQ(log.calls.front(), "open " + Under("Parent") + " 20006");
    EXPECT_FALSE(RegKeyExists(Under("Parent\\Child")));
    EXPECT_TRUE(RegKeyExists(Under("Parent\\Other")));

    // missing parent, missing key: gone; a key that stays: not gone; nothing is shown
    EXPECT_TRUE(DeleteKeyPath(CScope(CScope::kMachine), Under("Nowhere\\Child").c_str()));
    EXPECT_TRUE(DeleteKeyPath(CScope(CScope::kMachine), Under("Parent\\Child").c_str()));
    faults.Fail(AFX_CALL_RegDeleteKeyA, 1);
    EXPECT_FALSE(DeleteKeyPath(CScope(CScope::kMachine), Under("Parent\\Other").c_str()));
    EXPECT_TRUE(RegKeyExists(Under("Parent\\Other")));
    EXPECT_TRUE(boxes.Seen().empty());

    // Only an empty key goes by DeleteKeyIfEmpty: one with a key or a value stays.
    RegPutString(Under("Parent\\Other"), "Data", "1");
    for (const char* key : { "Parent", "Parent\\Other" })
        DeleteKeyIfEmpty(CScope(CScope::kMachine), Under(key).c_str());
    EXPECT_TRUE(RegKeyExists(Under("Parent\\Other")));
    HKEY empty;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyA(HKEY_LOCAL_MACHINE, Under("Parent\\Empty").c_str(), &empty));
    ::RegCloseKey(empty);
    DeleteKeyIfEmpty(CScope(CScope::kMachine), Under("Parent\\Empty").c_str());
    EXPECT_FALSE(RegKeyExists(Under("Parent\\Empty")));
}

// Versions compare as numbers, major first; the installed one is the highest of the
// vendor's version subkeys (other names passed over), else the uninstall entry's; a
// missing or malformed one is 0, older than any.
TEST_F(OpsTest, InstalledVersionIsTheHighestAndComparesAsNumbers)
{
    EXPECT_LT(VersionValue("1.9"), VersionValue("1.31"));
    EXPECT_LT(VersionValue("1.31"), VersionValue("1.40"));
    for (const char* bad : { "", "1", "1.", ".1", "1.2.3", "1.2 ", "v1.2", "1,2", "1.65536", "99999.1", "1.2 beta" })
        EXPECT_EQ(VersionValue(bad), 0u) << bad;
    CString found = "none";
    EXPECT_EQ(ReadInstalledVersion(CScope(CScope::kMachine), found), 0u);
    RegPutString(kUninstallKey, "DisplayVersion", "1.9");
    EXPECT_EQ(ReadInstalledVersion(CScope(CScope::kMachine), found), VersionValue("1.9"));
    // the subkeys come in the order of their names: "1.9" is the last version of them
    for (const char* name : { "1.31", "1.4", "1.40x", "1.9", "2", "Settings" })
        RegPutString(std::string(kVendorKey) + "\\" + name, "", "0");
    EXPECT_EQ(ReadInstalledVersion(CScope(CScope::kMachine), found), VersionValue("1.31"));
    EXPECT_STREQ(found, "1.31");
    RegRemoveTree("SOFTWARE\\Tolvane Software");
}
