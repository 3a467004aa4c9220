// CreateTargetDirectory: drive checks, the free-space query on both of its paths,
// the question when the space is unknown, and the directory chain.
#include "ops_fixture.h"

using testing::ElementsAre;

namespace {

const char kInvalidPath[] = "Please specify a valid disk drive and path";
const char kQuestionTail[] = "\r\nDo you want to procede with the installation anyway?";

// What the fakes below saw and answer.
struct FreeSpaceFake {
    std::vector<std::string> drives;          // drive strings passed to the query
    std::vector<int> driveNumbers;            // _chdrive arguments
    std::vector<std::string> made, entered;   // _mkdir and _chdir arguments
    BOOL ok = TRUE;
    ULONGLONG available = 0;                  // GetDiskFreeSpaceExA: free bytes for the caller
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0;
    bool totalClustersRequested = false;
    bool exported = true;                     // the system has GetDiskFreeSpaceExA
};
FreeSpaceFake* g_fake;

BOOL WINAPI FakeFreeSpaceEx(LPCSTR drive, PULARGE_INTEGER avail, PULARGE_INTEGER total, PULARGE_INTEGER totalFree)
{
    if (!g_fake->exported) {  // as the late-bound entry reports a call the system lacks
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    g_fake->drives.push_back(drive);
    if (!g_fake->ok)
        return FALSE;
    avail->QuadPart = g_fake->available;
    total->QuadPart = g_fake->available * 2;
    totalFree->QuadPart = 1;  // only the caller's figure may count
    return TRUE;
}

BOOL WINAPI FakeFreeSpace(LPCSTR drive, LPDWORD spc, LPDWORD bps, LPDWORD fc, LPDWORD tc)
{
    g_fake->drives.push_back(drive);
    g_fake->totalClustersRequested = tc != NULL;
    if (!g_fake->ok)
        return FALSE;
    *spc = g_fake->sectorsPerCluster;
    *bps = g_fake->bytesPerSector;
    *fc = g_fake->freeClusters;
    return TRUE;
}

int __cdecl RecordChdrive(int n)
{
    g_fake->driveNumbers.push_back(n);
    return g_afxSystemCalls._chdrive(n);
}
int __cdecl RecordMkdir(const char* name)
{
    g_fake->made.push_back(name);
    return g_afxSystemCalls._mkdir(name);
}
int __cdecl RecordChdir(const char* name)
{
    g_fake->entered.push_back(name);
    return g_afxSystemCalls._chdir(name);
}

} // namespace

class TargetDirectory : public OpsTest {
protected:
    void SetUp() override
    {
        OpsTest::SetUp();
        g_fake = &fake;
        faults.Forward().GetDiskFreeSpaceExA = FakeFreeSpaceEx;
        faults.Forward().GetDiskFreeSpaceA = FakeFreeSpace;
        faults.Forward()._chdrive = RecordChdrive;
        faults.Forward()._mkdir = RecordMkdir;
        faults.Forward()._chdir = RecordChdir;
        fake.available = 1ull << 34;
    }
    void TearDown() override
    {
        g_fake = nullptr;
        OpsTest::TearDown();
    }
    BOOL Create(const std::string& path) { return CreateTargetDirectory(owner, path.c_str()); }

    ScratchDir dir{ CurrentTestName() };
    PlatformFaults faults;
    FreeSpaceFake fake;
};

TEST_F(TargetDirectory, PathsWithoutDriveLetterAndColonChangeNothing)
{
    const char* paths[] = { "", "C", "Merolin", "\\\\server\\share\\Merolin", "/C:/Merolin" };
    ASSERT_EQ(::SetCurrentDirectoryA(dir.Path().c_str()), TRUE);
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        ExpectError(kInvalidPath);
        EXPECT_FALSE(Create(path));
        EXPECT_EQ(CurrentDir(), dir.Path());
    }
    EXPECT_EQ(boxes.Seen().size(), 5u);
    EXPECT_TRUE(fake.driveNumbers.empty());
    EXPECT_TRUE(fake.entered.empty());
    EXPECT_EQ(faults.Count(AFX_CALL_GetDiskFreeSpaceExA), 0);
}

TEST_F(TargetDirectory, DriveWithoutRootBackslashIsMadeCurrentThenRefused)
{
    for (const char* path : { "C:", "C:Merolin" }) {
        SCOPED_TRACE(path);
        // Start from another drive (only looked at, never written).
        ASSERT_EQ(::SetCurrentDirectoryA("Z:\\"), TRUE);
        ExpectError(kInvalidPath);
        EXPECT_FALSE(Create(path));
        EXPECT_EQ(toupper(CurrentDir()[0]), 'C') << CurrentDir();
    }
    EXPECT_THAT(fake.driveNumbers, ElementsAre(3, 3));
    EXPECT_TRUE(fake.drives.empty());  // no free-space query
    EXPECT_TRUE(fake.made.empty());
}

TEST_F(TargetDirectory, DriveThatDoesNotExistIsNamedAsTyped)
{
    ASSERT_EQ(::GetLogicalDrives() & (1u << ('Q' - 'A')), 0u) << "drive Q exists in the test prefix";
    ASSERT_EQ(::SetCurrentDirectoryA(dir.Path().c_str()), TRUE);
    ExpectError("Can't access drive q:");
    EXPECT_FALSE(Create("q:\\Merolin"));
    ExpectError("Can't access drive Q:");
    EXPECT_FALSE(Create("Q:\\Merolin"));
    EXPECT_THAT(fake.driveNumbers, ElementsAre(17, 17));
    EXPECT_EQ(CurrentDir(), dir.Path());
    EXPECT_TRUE(fake.drives.empty());
}

TEST_F(TargetDirectory, RootThatCannotBeEnteredStopsBeforeAnyDirectoryIsMade)
{
    // Were the chain built from wherever the process stands, the install would
    // write outside the target directory.
    ASSERT_EQ(::SetCurrentDirectoryA(dir.Path().c_str()), TRUE);
    faults.Fail(AFX_CALL__chdir);
    ExpectError("Can't access drive C:");
    EXPECT_FALSE(Create("C:\\scratch\\Merolin"));
    EXPECT_TRUE(fake.drives.empty());
    EXPECT_TRUE(ListDir(dir.Path()).empty());
    EXPECT_EQ(faults.Count(AFX_CALL__mkdir), 0);
}

TEST_F(TargetDirectory, LowerCaseDriveLetterIsKeptInTheQueryAndTheMessages)
{
    std::string path = "c" + (dir / "Low\\Case").substr(1);
    EXPECT_TRUE(Create(path));
    EXPECT_THAT(fake.driveNumbers, ElementsAre(3));
    EXPECT_THAT(fake.drives, ElementsAre("c:"));
    EXPECT_TRUE(SamePath(CurrentDir(), dir / "Low\\Case")) << CurrentDir();

    fake.available = 499999;
    ExpectError("Insufficient disk space on drive c:");
    EXPECT_FALSE(Create(path));
}

TEST_F(TargetDirectory, FreeBytesFromTheNewerQueryDecide)
{
    struct Case { ULONGLONG available; bool passes; };
    const Case cases[] = {
        { 500000, true }, { 499999, false }, { 0, false },
        { 1ull << 32, true },               // would be 0 in 32 bits
        { (1ull << 32) + 499999, true },    // would be 499999 in 32 bits
        { ~0ull, true },
    };
    std::string path = dir / "Ex";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.available);
        fake.available = c.available;
        if (!c.passes)
            ExpectError("Insufficient disk space on drive C:");
        EXPECT_EQ(Create(path), c.passes ? TRUE : FALSE);
        EXPECT_EQ(DirExists(path), c.passes);
        if (c.passes)
            EXPECT_EQ(CurrentDir(), path);
        else
            EXPECT_EQ(CurrentDir(), "C:\\");  // the root of the drive, nothing created
        ::SetCurrentDirectoryA(dir.Path().c_str());
        RemoveTree(path);
    }
    EXPECT_EQ(fake.drives.size(), 6u);
    EXPECT_EQ(fake.drives[0], "C:");
    EXPECT_EQ(faults.Count(AFX_CALL_GetDiskFreeSpaceA), 0);
}

TEST_F(TargetDirectory, FreeBytesFromTheOlderQueryAreMultipliedWithoutWrapAround)
{
    fake.exported = false;
    struct Case { DWORD spc, bps, fc; bool passes; };
    const Case cases[] = {
        { 1, 1, 500000, true },
        { 1, 1, 499999, false },
        { 8, 512, 122, false },                   // 499712
        { 8, 512, 123, true },                    // 503808
        { 8, 512, 1u << 20, true },               // 2^32: 0 in 32 bits
        { 64, 65536, 1u << 20, true },            // 2^42
        { 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, true },  // beyond 64 bits
        { 0xFFFFFFFF, 0xFFFFFFFF, 0, false },
    };
    std::string path = dir / "Old";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.spc << "*" << c.bps << "*" << c.fc);
        fake.sectorsPerCluster = c.spc;
        fake.bytesPerSector = c.bps;
        fake.freeClusters = c.fc;
        if (!c.passes)
            ExpectError("Insufficient disk space on drive C:");
        EXPECT_EQ(Create(path), c.passes ? TRUE : FALSE);
        EXPECT_EQ(DirExists(path), c.passes);
        ::SetCurrentDirectoryA(dir.Path().c_str());
        RemoveTree(path);
    }
    EXPECT_EQ(fake.drives, std::vector<std::string>(8, "C:"));
    EXPECT_FALSE(fake.totalClustersRequested);
    EXPECT_EQ(faults.Count(AFX_CALL_GetDiskFreeSpaceExA), 8);
}

TEST_F(TargetDirectory, TheRealQueryFindsRoomOnDriveC)
{
    faults.Forward().GetDiskFreeSpaceExA = g_afxSystemCalls.GetDiskFreeSpaceExA;
    EXPECT_TRUE(Create(dir / "Real"));
    EXPECT_EQ(CurrentDir(), dir / "Real");
    faults.Forward().GetDiskFreeSpaceA = g_afxSystemCalls.GetDiskFreeSpaceA;
    faults.Forward().GetProcAddress = [](HMODULE, LPCSTR) -> FARPROC { return NULL; };
    EXPECT_TRUE(Create(dir / "Real2"));
    EXPECT_EQ(CurrentDir(), dir / "Real2");
    EXPECT_EQ(faults.Count(AFX_CALL_GetDiskFreeSpaceA), 1);
}

TEST_F(TargetDirectory, UnknownFreeSpaceAsksAndYesGoesOn)
{
    std::string question = std::string("Cannot determine the amount of free space on drive C:") + kQuestionTail;
    std::string path = dir / "Yes\\Sub";

    // The newer query is there and fails: the older one is not asked.
    faults.Fail(AFX_CALL_GetDiskFreeSpaceExA);
    boxes.Expect("WARNING", question, MB_YESNO | MB_ICONQUESTION, IDYES);
    EXPECT_TRUE(Create(path));
    EXPECT_EQ(CurrentDir(), path);
    EXPECT_EQ(faults.Count(AFX_CALL_GetDiskFreeSpaceA), 0);
    EXPECT_TRUE(fake.drives.empty());

    // The newer query fails.
    fake.ok = FALSE;
    boxes.Expect("WARNING", question, MB_YESNO | MB_ICONQUESTION, IDYES);
    EXPECT_TRUE(Create(path));

    // The older query fails.
    fake.exported = false;
    boxes.Expect("WARNING", question, MB_YESNO | MB_ICONQUESTION, IDYES);
    EXPECT_TRUE(Create(path));
    EXPECT_EQ(faults.Count(AFX_CALL_GetDiskFreeSpaceA), 1);
    EXPECT_EQ(fake.drives, std::vector<std::string>(2, "C:"));
    EXPECT_EQ(boxes.Seen().size(), 3u);
    for (const SeenBox& box : boxes.Seen())
        EXPECT_EQ(box.hOwner, owner);
}

TEST_F(TargetDirectory, UnknownFreeSpaceAnsweredNoStopsAtTheRoot)
{
    std::string path = "c" + (dir / "No").substr(1);
    fake.ok = FALSE;
    boxes.Expect("WARNING", std::string("Cannot determine the amount of free space on drive c:") + kQuestionTail,
                 MB_YESNO | MB_ICONQUESTION, IDNO);
    EXPECT_FALSE(Create(path));
    EXPECT_EQ(boxes.Seen().size(), 1u);  // nothing more is shown
    EXPECT_FALSE(DirExists(dir / "No"));
    EXPECT_EQ(CurrentDir(), "C:\\");
    EXPECT_THAT(fake.entered, ElementsAre("\\"));
}

TEST_F(TargetDirectory, CreatesAndEntersEachDirectoryAndReusesExistingOnes)
{
    std::string path = dir / "Program Files\\Merolin";
    EXPECT_TRUE(Create(path));
    EXPECT_EQ(CurrentDir(), path);
    std::vector<std::string> expected = { "\\", "scratch", CurrentTestName(), "Program Files", "Merolin" };
    EXPECT_EQ(fake.entered, expected);
    expected.erase(expected.begin());
    EXPECT_EQ(fake.made, expected);

    // Again, with everything there: silent success.
    ASSERT_EQ(::SetCurrentDirectoryA(dir.Path().c_str()), TRUE);
    EXPECT_TRUE(Create(path));
    EXPECT_EQ(CurrentDir(), path);
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(TargetDirectory, AFileInTheWayStopsTheChainAndNamesTheWholePath)
{
    ASSERT_TRUE(::CreateDirectoryA((dir / "a").c_str(), NULL));
    WriteWholeFile(dir / "a\\b", "in the way");
    std::string path = dir / "a\\b\\c";
    ExpectError("Error creating directory " + path);
    EXPECT_FALSE(Create(path));
    EXPECT_EQ(CurrentDir(), dir / "a");  // the last directory entered
    EXPECT_TRUE(DirExists(dir / "a"));
    EXPECT_EQ(ReadWholeFile(dir / "a\\b"), "in the way");
    ASSERT_FALSE(fake.made.empty());
    EXPECT_EQ(fake.made.back(), "b");
}

TEST_F(TargetDirectory, DirectoriesMadeBeforeAFailureStay)
{
    // The third component cannot be entered: the first two stay made.
    std::string path = dir / "one\\two\\three";
    faults.Fail(AFX_CALL__chdir, 6);  // "\", scratch, test dir, one, two, three
    ExpectError("Error creating directory " + path);
    EXPECT_FALSE(Create(path));
    EXPECT_TRUE(DirExists(dir / "one\\two"));
    EXPECT_EQ(CurrentDir(), dir / "one\\two");

    // The first component cannot be entered: the root stays current.
    faults.Fail(AFX_CALL__chdir, 2);
    ExpectError("Error creating directory " + path);
    EXPECT_FALSE(Create(path));
    EXPECT_EQ(CurrentDir(), "C:\\");
}

TEST_F(TargetDirectory, EmptyComponentsAreNotSkipped)
{
    ASSERT_EQ(::SetCurrentDirectoryA(dir.Path().c_str()), TRUE);
    const std::string trailing = dir / "t\\";
    const std::string doubled = dir / "d\\\\e";
    const std::string paths[] = { trailing, doubled, "C:\\" };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        fake.made.clear();
        ExpectError("Error creating directory " + path);
        EXPECT_FALSE(Create(path));
        ASSERT_FALSE(fake.made.empty());
        EXPECT_EQ(fake.made.back(), "");
        ASSERT_FALSE(fake.entered.empty());
        EXPECT_EQ(fake.entered.back(), "");
    }
    EXPECT_TRUE(DirExists(dir / "t"));
    EXPECT_TRUE(DirExists(dir / "d"));
    EXPECT_FALSE(DirExists(dir / "d\\e"));
}

TEST_F(TargetDirectory, SeparatorSearchStepsOverDoubleByteCharacters)
{
    if (::GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese code page: run by target.ops_tests_cp932";
    // In code page 932 the character 0x95 0x5C has a second byte of the value of "\".
    const std::string name = "\x95\x5C" "data";
    std::string path = dir / (name + "\\sub");
    EXPECT_TRUE(Create(path));
    ASSERT_GE(fake.made.size(), 2u);
    std::vector<std::string> tail(fake.made.end() - 2, fake.made.end());
    EXPECT_THAT(tail, ElementsAre(name, "sub"));
    EXPECT_TRUE(DirExists(dir / (name + "\\sub")));
    EXPECT_EQ(CurrentDir(), path);

    // The same character at the end is no separator (the folder browser appends one),
    // nor is its second byte a "|" that a file name cannot hold.
    EXPECT_FALSE(EndsWithSeparator(("C:\\" + name.substr(0, 2)).c_str()));
    EXPECT_TRUE(EndsWithSeparator(("C:\\" + name.substr(0, 2) + "\\").c_str()));
    EXPECT_TRUE(IsAcceptableTarget(("C:\\" + name + "\\\x95\x7C").c_str()));
    EXPECT_FALSE(IsAcceptableTarget("C:\\data\\|"));
}

