// ExtractPayloadFile against the real resources, file system and version library:
// test payloads 900..904 (see CMakeLists.txt) and the installer's seven.
#include "expand.h"
#include "resource_check.h"
#include "ops_fixture.h"
#include <algorithm>
#include <list>

using testing::ElementsAre;
using testing::UnorderedElementsAre;

namespace {

const UINT kGood = 900, kTruncated = 901, kEmpty = 902, kTrailing = 903, kPlain = 904, kOriginal = 950;
const char kName[] = "Payload.bin";

std::string ResourceBytes(UINT id, const char* type)
{
    HMODULE module = ::GetModuleHandleA(NULL);
    HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!res)
        return std::string();
    const char* p = (const char*)::LockResource(::LoadResource(module, res));
    return std::string(p, ::SizeofResource(module, res));
}

DWORD HeaderLength(const std::string& msz) { return common::SzddExpandedLength(msz.data(), msz.size()); }

ULONGLONG Ticks(const FILETIME& ft) { return ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime; }

// 8 Nov 2002 01:31:00 local time in UTC, by the zone's offset in force now.
ULONGLONG ExpectedReleaseTicks() { return Ticks(common::ReleaseStamp()); }

struct Times { ULONGLONG created, accessed, written; };
Times FileTimes(const std::string& path)
{
    Times t = {};
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return t;
    FILETIME c, a, w;
    if (::GetFileTime(h, &c, &a, &w))
        t = { Ticks(c), Ticks(a), Ticks(w) };
    ::CloseHandle(h);
    return t;
}

void MakeReadOnly(const std::string& path) { ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); }

struct VerCall {
    DWORD flags;
    std::string src, dst, srcDir, dstDir, curDir;
    bool zeroFilled;
    UINT length;
};
std::vector<VerCall>* g_verCalls;
DWORD WINAPI RecordVerInstallFile(DWORD f, LPCSTR s, LPCSTR d, LPCSTR sd, LPCSTR dd, LPCSTR cd, LPSTR tmp, PUINT len)
{
    bool zero = std::all_of(tmp, tmp + *len, [](char c) { return c == 0; });
    g_verCalls->push_back({ f, s, d, sd, dd, cd, zero, *len });
    return g_afxSystemCalls.VerInstallFileA(f, s, d, sd, dd, cd, tmp, len);
}

HANDLE g_heldOpen = INVALID_HANDLE_VALUE;
int __cdecl RenameThenHoldOpen(const char* from, const char* to)
{
    int r = g_afxSystemCalls.rename(from, to);
    g_heldOpen = ::CreateFileA(to, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, 0, NULL);
    return r;
}

} // namespace

class PayloadExtraction : public OpsTest {
protected:
    void SetUp() override
    {
        OpsTest::SetUp();
        ASSERT_EQ(::SetCurrentDirectoryA(dir.Path().c_str()), TRUE);
        original = ResourceBytes(kOriginal, "RAW");
        ASSERT_GT(original.size(), 1000u);
    }
    BOOL Extract(UINT id, const char* name = kName) { return ExtractPayloadFile(owner, id, name); }
    void ExpectExpandAndRenameFailures(const std::string& name = kName)
    {
        ExpectError("Can't expand installation file " + name);
        ExpectError("Can't rename installation file " + name);
    }

    ScratchDir dir{ CurrentTestName() };
    std::string original;
};

TEST_F(PayloadExtraction, InstallsTheExpandedFileAndLeavesNoTemporaryFile)
{
    PlatformFaults faults;
    std::vector<VerCall> calls;
    g_verCalls = &calls;
    faults.Forward().VerInstallFileA = RecordVerInstallFile;

    EXPECT_TRUE(Extract(kGood));
    EXPECT_THAT(ListDir(dir.Path()), ElementsAre(kName));
    EXPECT_EQ(ReadWholeFile(dir / kName), original);
    EXPECT_EQ(HeaderLength(ResourceBytes(kGood, "MSZ")), original.size());
    EXPECT_TRUE(boxes.Seen().empty());

    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].flags, (DWORD)VIFF_FORCEINSTALL);
    EXPECT_EQ(calls[0].src, "MR.MSZ");
    EXPECT_EQ(calls[0].dst, "MR.XXX");
    EXPECT_EQ(calls[0].srcDir, dir.Path());
    EXPECT_EQ(calls[0].dstDir, dir.Path());
    EXPECT_EQ(calls[0].curDir, dir.Path());
    EXPECT_TRUE(calls[0].zeroFilled);
    EXPECT_EQ(calls[0].length, (UINT)MAX_PATH);
    // only the low 16 bits name the resource
    EXPECT_TRUE(Extract(0x10000 | kGood, "Again.bin"));
    EXPECT_EQ(ReadWholeFile(dir / "Again.bin"), original);
}

TEST_F(PayloadExtraction, AllThreeTimesAreTheReleaseTimeInUtc)
{
    ASSERT_TRUE(Extract(kGood));
    Times t = FileTimes(dir / kName);
    ULONGLONG expected = ExpectedReleaseTicks();
    EXPECT_EQ(t.created, expected);
    EXPECT_EQ(t.accessed, expected);
    EXPECT_EQ(t.written, expected);
    // The test program runs in a zone away from UTC (set in CMakeLists.txt), so the
    // conversion is seen at work.
    TIME_ZONE_INFORMATION tz;
    ::GetTimeZoneInformation(&tz);
    EXPECT_EQ(tz.Bias, -330);
}

TEST_F(PayloadExtraction, TheSevenPayloadFilesExpandToTheLengthInTheirHeaders)
{
    for (const PayloadFile& row : kPayloadTable) {
        SCOPED_TRACE(row.pszFileName);
        std::string msz = ResourceBytes(row.nResourceId, kPayloadResourceType);
        ASSERT_GT(msz.size(), 14u);
        EXPECT_EQ(msz.compare(0, 4, "SZDD"), 0);
        EXPECT_TRUE(Extract(row.nResourceId, row.pszFileName));
        EXPECT_EQ(ReadWholeFile(dir / row.pszFileName).size(), HeaderLength(msz));
        EXPECT_EQ(FileTimes(dir / row.pszFileName).written, ExpectedReleaseTicks());
    }
    EXPECT_EQ(ListDir(dir.Path()).size(), 7u);
    EXPECT_TRUE(boxes.Seen().empty());
    // Each is as installed, also on Windows 9x, whose CreateFileA knows no sharing of deletion.
    PlatformFaults faults;
    faults.LookLikeWindows9x();
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow)
        EXPECT_TRUE(IsAsInstalled(kPayloadTable[nRow].pszFileName, nRow)) << kPayloadTable[nRow].pszFileName;
}

TEST_F(PayloadExtraction, MissingOrUnloadableResourceWritesNothing)
{
    ExpectError("Setup file appears to be corrupted!");
    EXPECT_FALSE(Extract(999));
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_LoadResource);
        ExpectError("Setup file appears to be corrupted!");
        EXPECT_FALSE(Extract(kGood));
    }
    // The resource type must be "MSZ": the original is there as "RAW" only.
    ExpectError("Setup file appears to be corrupted!");
    EXPECT_FALSE(Extract(kOriginal));
    EXPECT_TRUE(ListDir(dir.Path()).empty());
}

TEST_F(PayloadExtraction, EmptyOrUnlockableResourceIsCorrupt)
{
    ASSERT_EQ(ResourceBytes(kEmpty, "MSZ").size(), 0u);
    ExpectError("Setup file is corrupted!");
    EXPECT_FALSE(Extract(kEmpty));
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_LockResource);
        ExpectError("Setup file is corrupted!");
        EXPECT_FALSE(Extract(kGood));
    }
    EXPECT_TRUE(ListDir(dir.Path()).empty());
}

TEST_F(PayloadExtraction, TemporaryCompressedFileIsMadeNewUnlessWhatIsThereCannotGo)
{
    WriteWholeFile(dir / "MR.MSZ", "left over from an earlier run");
    MakeReadOnly(dir / "MR.MSZ");  // no obstacle here: the test prefix runs as the host's root
    EXPECT_TRUE(Extract(kGood));
    EXPECT_EQ(ReadWholeFile(dir / kName), original);
    EXPECT_THAT(ListDir(dir.Path()), ElementsAre(kName));

    // Held open by someone else without sharing.
    PlatformFaults faults;
    HANDLE held = ::CreateFileA((dir / "MR.MSZ").c_str(), GENERIC_READ, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectError("Can't overwrite temporary file \"MR.MSZ\"");
    EXPECT_FALSE(Extract(kGood, "Other.bin"));
    ::CloseHandle(held);

    // A directory of that name.
    ::DeleteFileA((dir / "MR.MSZ").c_str());
    ASSERT_TRUE(::CreateDirectoryA((dir / "MR.MSZ").c_str(), NULL));
    ExpectError("Can't overwrite temporary file \"MR.MSZ\"");
    EXPECT_FALSE(Extract(kGood, "Other.bin"));
    // A file that cannot be removed is never written into.
    ::RemoveDirectoryA((dir / "MR.MSZ").c_str());
    WriteWholeFile(dir / "MR.MSZ", "not the installer's");
    faults.Fail(AFX_CALL_remove);
    ExpectError("Can't overwrite temporary file \"MR.MSZ\"");
    EXPECT_FALSE(Extract(kGood, "Other.bin"));
    EXPECT_EQ(ReadWholeFile(dir / "MR.MSZ"), "not the installer's");
    EXPECT_THAT(ListDir(dir.Path()), UnorderedElementsAre("MR.MSZ", kName));
    EXPECT_EQ(faults.Count(AFX_CALL_VerInstallFileA), 0);
}

TEST_F(PayloadExtraction, ShortWriteIsADiskError)
{
    PlatformFaults faults;
    faults.Fail(AFX_CALL_WriteFile);
    ExpectError("Insufficient space, or disk error");
    EXPECT_FALSE(Extract(kGood));
    EXPECT_EQ(faults.Count(AFX_CALL_CloseHandle), 1);
    EXPECT_EQ(faults.Count(AFX_CALL_VerInstallFileA), 0);
    EXPECT_THAT(ListDir(dir.Path()), ElementsAre("MR.MSZ"));  // what was written of it
}

TEST_F(PayloadExtraction, ReadOnlyFinalFileIsReplaced)
{
    WriteWholeFile(dir / kName, "old version");
    MakeReadOnly(dir / kName);
    EXPECT_TRUE(Extract(kGood));
    EXPECT_EQ(ReadWholeFile(dir / kName), original);
    EXPECT_EQ(::GetFileAttributesA((dir / kName).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_THAT(ListDir(dir.Path()), ElementsAre(kName));

    // The attribute is what stands in the way: without its reset the old file stays.
    MakeReadOnly(dir / kName);
    PlatformFaults faults;
    faults.Fail(AFX_CALL_SetFileAttributesA, 1, -1);
    ExpectError("Can't rename installation file Payload.bin");
    EXPECT_FALSE(Extract(kGood));
}

TEST_F(PayloadExtraction, FailedExpansionKeepsTheOldFile)
{
    WriteWholeFile(dir / kName, "working copy");
    MakeReadOnly(dir / kName);
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_VerInstallFileA);
        ExpectExpandAndRenameFailures();
        EXPECT_FALSE(Extract(kGood));
        EXPECT_EQ(faults.Count(AFX_CALL_rename), 0);
    }
    EXPECT_THAT(SeenTexts(), ElementsAre("Can't expand installation file Payload.bin",
                                         "Can't rename installation file Payload.bin"));
    EXPECT_EQ(ReadWholeFile(dir / kName), "working copy");
    EXPECT_THAT(ListDir(dir.Path()), ElementsAre(kName));
}

TEST_F(PayloadExtraction, FailedExpansionWithoutOldFileLeavesNothing)
{
    PlatformFaults faults;
    faults.Fail(AFX_CALL_VerInstallFileA);
    ExpectExpandAndRenameFailures();
    EXPECT_FALSE(Extract(kGood));
    EXPECT_TRUE(ListDir(dir.Path()).empty());
}

TEST_F(PayloadExtraction, StaleExpandedFileNeverPassesForTheNewOne)
{
    // The expansion fails: the stale file must not be renamed into place.
    WriteWholeFile(dir / "MR.XXX", "stale, from an interrupted run");
    MakeReadOnly(dir / "MR.XXX");
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_VerInstallFileA);
        ExpectExpandAndRenameFailures();
        EXPECT_FALSE(Extract(kGood));
    }
    EXPECT_TRUE(ListDir(dir.Path()).empty());

    // The facility reports success but writes nothing: a stale file of just the
    // right length must not be taken for its work.
    WriteWholeFile(dir / "MR.XXX", std::string(original.size(), 's'));
    {
        PlatformFaults faults;
        faults.Forward().VerInstallFileA = [](DWORD, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPSTR, PUINT) -> DWORD {
            return 0;
        };
        ExpectExpandAndRenameFailures();
        EXPECT_FALSE(Extract(kGood));
    }
    EXPECT_TRUE(ListDir(dir.Path()).empty());

    // The expansion works: the new file, not the stale one, is installed.
    WriteWholeFile(dir / "MR.XXX", "stale again");
    EXPECT_TRUE(Extract(kGood));
    EXPECT_EQ(ReadWholeFile(dir / kName), original);
    EXPECT_THAT(ListDir(dir.Path()), ElementsAre(kName));
}

TEST_F(PayloadExtraction, ExpansionOfTheWrongLengthCountsAsFailed)
{
    WriteWholeFile(dir / kName, "working copy");
    // The platform reports success for all three, with a short, a long and a plain copy.
    for (UINT id : { kTruncated, kTrailing, kPlain }) {
        SCOPED_TRACE(id);
        PlatformFaults faults;
        ExpectExpandAndRenameFailures();
        EXPECT_FALSE(Extract(id));
        EXPECT_EQ(faults.Count(AFX_CALL_VerInstallFileA), 1);
        EXPECT_EQ(ReadWholeFile(dir / kName), "working copy");
        EXPECT_THAT(ListDir(dir.Path()), ElementsAre(kName));
    }
}

TEST_F(PayloadExtraction, FailedRenameAfterTheOldFileIsGone)
{
    WriteWholeFile(dir / kName, "old version");
    PlatformFaults faults;
    faults.Fail(AFX_CALL_rename);
    ExpectError("Can't rename installation file Payload.bin");
    EXPECT_FALSE(Extract(kGood));
    EXPECT_EQ(boxes.Seen().size(), 1u);
    // the old file was removed to make room; the expanded one does not stay behind
    EXPECT_TRUE(ListDir(dir.Path()).empty());
}

TEST_F(PayloadExtraction, FileHeldOpenIsInstalledWithoutTimeStamp)
{
    {
        PlatformFaults faults;
        faults.Forward().rename = RenameThenHoldOpen;
        EXPECT_TRUE(Extract(kGood));
        EXPECT_EQ(faults.Count(AFX_CALL_CreateFileA), 2);  // the temporary file's, then the stamp's
        EXPECT_EQ(faults.Count(AFX_CALL_SetFileTime), 0);
    }
    ASSERT_NE(g_heldOpen, INVALID_HANDLE_VALUE);
    ::CloseHandle(g_heldOpen);
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(ReadWholeFile(dir / kName), original);
    EXPECT_NE(FileTimes(dir / kName).written, ExpectedReleaseTicks());
}

TEST_F(PayloadExtraction, TimeThatCannotBeConvertedIsNotSet)
{
    for (AfxCallId call : { AFX_CALL_SystemTimeToFileTime, AFX_CALL_LocalFileTimeToFileTime }) {
        SCOPED_TRACE(g_afxCallNames[call]);
        PlatformFaults faults;
        faults.Fail(call);
        EXPECT_TRUE(Extract(kGood));
        EXPECT_EQ(faults.Count(AFX_CALL_SetFileTime), 0);
        EXPECT_EQ(faults.Count(AFX_CALL_CloseHandle), 2);
        EXPECT_EQ(ReadWholeFile(dir / kName), original);
    }
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(PayloadExtraction, CurrentDirectoryThatCannotBeReadStopsAtOnce)
{
    PlatformFaults faults;
    faults.Fail(AFX_CALL__getcwd);
    ExpectError("Can't retrieve current directory");
    EXPECT_FALSE(Extract(kGood));
    EXPECT_EQ(faults.Count(AFX_CALL_FindResourceA), 0);
    EXPECT_TRUE(ListDir(dir.Path()).empty());
}

TEST_F(PayloadExtraction, DirectoryTooLongForTheVersionLibraryFailsCleanly)
{
    // The version library refuses directories of more than about 115 characters.
    std::string deep = dir.Path();
    while (deep.size() < 200) {
        deep += "\\ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        ASSERT_TRUE(::CreateDirectoryA(deep.c_str(), NULL));
    }
    ASSERT_EQ(::SetCurrentDirectoryA(deep.c_str()), TRUE);
    WriteWholeFile(deep + "\\" + kName, "working copy");
    ExpectExpandAndRenameFailures();
    EXPECT_FALSE(Extract(kGood));
    EXPECT_EQ(ReadWholeFile(deep + "\\" + kName), "working copy");
    // nothing but the working copy: no temporary file of ours or of the version library
    EXPECT_THAT(ListDir(deep), ElementsAre(kName));
}

static DWORD APIENTRY VerInstallLeavingItsTempFile(DWORD, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPSTR, PUINT)
{
    WriteWholeFile("VER7A3C.TMP", "");
    return VIF_CANNOTCREATE | VIF_TEMPFILE;
}

TEST_F(PayloadExtraction, TemporaryFilesOfAFailedExpansionAreRemovedOthersKept)
{
    WriteWholeFile(dir / "ver0001.tmp", "not ours");
    PlatformFaults faults;
    faults.Forward().VerInstallFileA = VerInstallLeavingItsTempFile;
    ExpectExpandAndRenameFailures();
    EXPECT_FALSE(Extract(kGood));
    EXPECT_THAT(ListDir(dir.Path()), ElementsAre("ver0001.tmp"));
}

TEST_F(PayloadExtraction, TargetBeyondMaxPathIsEnteredButItsNameCannotBeRead)
{
    // Entered one relative step at a time, the current directory may grow past
    // MAX_PATH (the system refuses only whole paths that long). Then its name does
    // not fit the 260-character buffer, and nothing is written.
    std::string path = dir.Path();
    std::vector<std::string> components;
    while (path.size() < 300) {
        components.push_back("abcdefghijklmnopqrstuvwxyz0123456789");
        path += "\\" + components.back();
    }
    EXPECT_TRUE(CreateTargetDirectory(owner, path.c_str()));
    std::wstring wide(L"\\\\?\\");
    for (char c : path)
        wide += (wchar_t)c;
    EXPECT_NE(::GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);

    ExpectError("Can't retrieve current directory");
    EXPECT_FALSE(Extract(kGood));
    EXPECT_EQ(::GetFileAttributesW((wide + L"\\MR.MSZ").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW((wide + L"\\" + std::wstring(kName, kName + sizeof kName - 1)).c_str()),
              INVALID_FILE_ATTRIBUTES);

    // Too deep for the clean-up by full paths: climb out removing each level.
    for (size_t i = components.size(); i-- > 0;) {
        ASSERT_EQ(_chdir(".."), 0);
        EXPECT_EQ(_rmdir(components[i].c_str()), 0) << i;
    }
    EXPECT_EQ(CurrentDir(), dir.Path());
}

// The licence expands in memory to the bytes the header promises; data cut short or
// of another mode is no text at all.
TEST(ExpandText, TheLicenceWholeOrNothing)
{
    HMODULE h = ::GetModuleHandleA(NULL);
    HRSRC r = ::FindResourceA(h, MAKEINTRESOURCEA(IDR_LICENSE_TEXT), kPayloadResourceType);
    ASSERT_NE(r, nullptr);
    std::string data((const char*)::LockResource(::LoadResource(h, r)), ::SizeofResource(h, r));
    CString text;
    ASSERT_TRUE(ops::ExpandText((const BYTE*)data.data(), (DWORD)data.size(), text));
    EXPECT_EQ(4028, text.GetLength());
    EXPECT_NE(std::string(text).find("Merolin"), std::string::npos) << "the licence names the product";
    EXPECT_FALSE(ops::ExpandText((const BYTE*)data.data(), (DWORD)data.size() - 1, text));
    data[8] = 'B';
    EXPECT_FALSE(ops::ExpandText((const BYTE*)data.data(), (DWORD)data.size(), text));
}

// The resources as the build recorded them, and what the check tells of a resource
// that is missing, changed in one byte, or not recorded at all.
static HRSRC g_lastFound;
static bool g_lastWasTable;  // the check table was the last resource found
static std::list<std::vector<BYTE>> g_copies;  // each stays where it is while the test runs
static HRSRC WINAPI RememberFound(HMODULE module, LPCSTR name, LPCSTR type)
{
    g_lastWasTable = !IS_INTRESOURCE(type) && lstrcmpA(type, kChecksumResourceType) == 0;
    return g_lastFound = ::FindResourceA(module, name, type);
}
static LPVOID WINAPI PayloadChangedInOneByte(HGLOBAL loaded)
{
    const BYTE* p = (const BYTE*)::LockResource(loaded);
    const DWORD n = ::SizeofResource(::GetModuleHandleA(NULL), g_lastFound);
    g_copies.emplace_back(p, p + n);
    if (!g_lastWasTable)  // the check table itself stays as it is
        g_copies.back()[n / 2] ^= 0x20;
    return g_copies.back().data();
}

TEST(ResourceCheck, WholeMissingChangedAndUnrecordedAreToldApart)
{
    EXPECT_EQ(0xCBF43926u, ops::Crc32((const BYTE*)"123456789", 9));
    UINT nId = 0;
    const BYTE* pData;
    DWORD nSize;
    EXPECT_EQ(ops::kResourceWhole, ops::CheckPayload(&nId));
    EXPECT_EQ(ops::kResourceWhole, ops::LoadCheckedResource(IDR_LICENSE_TEXT, &pData, &nSize));
    EXPECT_EQ(ops::kResourceDamaged, ops::LoadCheckedResource(900, &pData, &nSize));
    EXPECT_EQ(ops::kResourceMissing, ops::LoadCheckedResource(899, &pData, &nSize));
    PlatformFaults faults;
    faults.Fail(AFX_CALL_FindResourceA);
    EXPECT_EQ(ops::kResourceMissing, ops::CheckPayload(&nId));
    EXPECT_EQ(kPayloadTable[0].nResourceId, nId);
    faults.Forward().FindResourceA = RememberFound;
    faults.Forward().LockResource = PayloadChangedInOneByte;
    EXPECT_EQ(ops::kResourceDamaged, ops::CheckPayload(&nId));
    EXPECT_EQ(kPayloadTable[0].nResourceId, nId);
}
