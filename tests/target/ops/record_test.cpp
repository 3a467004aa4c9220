// The run's record at ops level: where it may be read from (its folder and file must
// be the installer's own), its framing, and the folder aside it moves files into.
#include "ops_fixture.h"
#include "own_folder.h"
#include "set_aside.h"
#include <functional>
#include <sddl.h>

namespace {

typedef CRecordFile Record;
std::string g_forgedFolder, g_forgedSddl;

BOOL WINAPI ForgedSecurity(LPCSTR path, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR sd, DWORD n, LPDWORD needed)
{
    if (!SamePath(path, g_forgedFolder))
        return g_afxSystemCalls.GetFileSecurityA(path, info, sd, n, needed);
    PSECURITY_DESCRIPTOR forged;
    ULONG size;
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(g_forgedSddl.c_str(), 1, &forged, &size));
    memcpy(sd, forged, size);
    LocalFree(forged);
    return TRUE;
}
DWORD WINAPI ReparsePoint(LPCSTR path)
{
    return g_afxSystemCalls.GetFileAttributesA(path) | (SamePath(path, g_forgedFolder) ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
}
BOOL WINAPI FailingSecurity(LPCSTR path, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR sd, DWORD n, LPDWORD needed)
{
    if (!SamePath(path, g_forgedFolder))
        return g_afxSystemCalls.GetFileSecurityA(path, info, sd, n, needed);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
BOOL WINAPI HardLink(HANDLE h, LPBY_HANDLE_FILE_INFORMATION info)
{
    const BOOL ok = g_afxSystemCalls.GetFileInformationByHandle(h, info);
    info->nNumberOfLinks = 2;
    return ok;
}

struct PlaceCase {
    const char* name;
    bool folder;  // the folder is not the installer's (else the file): the run's record goes elsewhere
    std::function<void(PlatformFaults&)> forge;
};
const PlaceCase kForeignPlaces[] = {
    { "a folder a user owns", true, [](PlatformFaults& f) { g_forgedSddl = "O:BUD:P(A;OICI;FA;;;BA)"; f.Forward().GetFileSecurityA = ForgedSecurity; } },
    { "rights that let Users write", true, [](PlatformFaults& f) { g_forgedSddl = "O:BAD:P(A;OICI;FA;;;BA)(A;;0x2;;;BU)"; f.Forward().GetFileSecurityA = ForgedSecurity; } },
    { "rights that let everyone delete it", true, [](PlatformFaults& f) { g_forgedSddl = "O:SYD:(A;;0x10000;;;WD)"; f.Forward().GetFileSecurityA = ForgedSecurity; } },
    { "a reparse point", true, [](PlatformFaults& f) { f.Forward().GetFileAttributesA = ReparsePoint; } },
    { "a security call that fails", true, [](PlatformFaults& f) { f.Forward().GetFileSecurityA = FailingSecurity; } },
    { "a record with a second name (a hard link)", false, [](PlatformFaults& f) { f.Forward().GetFileInformationByHandle = HardLink; } },
};

// A record a user could have planted or swapped is never read, and the run's own
// record goes to the next place, in the Windows directory.
TEST(RecordPlace, AFolderOrFileNotTheInstallersOwnIsNeverRead)
{
    g_forgedFolder = ParentOf(Record::Path());
    for (const PlaceCase& c : kForeignPlaces) {
        SCOPED_TRACE(c.name);
        Record planted;
        ASSERT_TRUE(planted.Create());
        planted.Add(Record::kNewFile, "C:\\Merolin.exe");
        ASSERT_TRUE(planted.Flush());
        planted.Close(FALSE);
        {
            PlatformFaults faults;
            c.forge(faults);
            Record record;
            EXPECT_EQ(Record::kNone, record.Load());
            EXPECT_FALSE(record.Refused().IsEmpty());
            if (c.folder) {
                ASSERT_TRUE(record.Create());
                EXPECT_FALSE(SamePath(std::string(ParentOf(record.FilePath())), g_forgedFolder)) << record.FilePath();
                record.Close(TRUE);
            }
        }
        Record again;  // the planted record is still there, untouched, for a check of our own
        EXPECT_EQ(Record::kLoaded, again.Load());
        again.Close(TRUE);
    }
}

// Every kind round-trips through the disk; a lookup finds the latest entry of a kind
// and text; an entry broken off by a kill ends the record; a commit the disk refuses
// is taken back.
TEST(RecordFraming, EntriesRoundTripAndABrokenOffEntryEndsTheRecord)
{
    Record record;
    ASSERT_TRUE(record.Create());
    const char kinds[] = { Record::kMadeDirectory, Record::kSite, Record::kNewFile, Record::kSetAside,
                           Record::kMadeAside, Record::kKeptLink, Record::kKeptKey, Record::kKeptValue,
                           Record::kRegistry };
    for (char kind : kinds)
        record.Add(kind, "C:\\Same", &kind, 1);
    for (int i = 0; i < 100; ++i)  // enough to grow the index several times
        record.Add(Record::kNewFile, ("C:\\f" + std::to_string(i)).c_str(), &i, sizeof i);
    ASSERT_TRUE(record.Flush());
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_WriteFile);
        EXPECT_FALSE(record.Commit(Record::kCompleted));
    }
    EXPECT_FALSE(record.Has(Record::kCompleted, ""));
    FILE* file = fopen(record.FilePath(), "ab");
    fwrite("N\x40\0\0\0C:\\", 1, 8, file);  // a text longer than what follows
    fclose(file);

    Record loaded;
    ASSERT_EQ(Record::kLoaded, loaded.Load());
    Record::Entry entry;
    DWORD nAt = 0;
    for (char kind : kinds) {
        ASSERT_TRUE(loaded.Next(&nAt, &entry));
        EXPECT_EQ(kind, entry.chKind);
        EXPECT_STREQ("C:\\Same", entry.pszText);
        ASSERT_EQ(1u, entry.nData);
        EXPECT_EQ(kind, (char)entry.pData[0]);
    }
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(loaded.Next(&nAt, &entry));
    EXPECT_FALSE(loaded.Next(&nAt, &entry));
    ASSERT_TRUE(loaded.Find(Record::kNewFile, "c:\\F42", &entry));
    EXPECT_EQ(42, *(const int*)entry.pData);
    EXPECT_FALSE(loaded.Has(Record::kNewFile, "C:\\f100"));
    loaded.Close(TRUE);
}

// A folder aside is the run's own: a name someone put there first (here a folder, as a
// link would be) is passed over; a directory reached through a link moves nothing, in
// either direction.
TEST(SetAside, IntoAFolderOfTheRunsOwnAndBack)
{
    ScratchDir scratch(CurrentTestName());
    const std::string dir = scratch.Path(), file = dir + "\\Merolin.exe";
    ASSERT_TRUE(::CreateDirectoryA((dir + "\\MR.OLD").c_str(), NULL));
    WriteWholeFile(file, "1.20");
    Record record;
    ASSERT_TRUE(record.Create());
    EXPECT_EQ(kNothingAside, PutBack(record, file.c_str()));
    ASSERT_TRUE(RecordSetAside(record, file.c_str()));
    EXPECT_TRUE(SamePath(std::string(AsidePath(record, file.c_str())), dir + "\\MR.OLD1\\Merolin.exe"));
    ASSERT_TRUE(MoveAside(record, file.c_str()));
    EXPECT_EQ("1.20", ReadWholeFile(dir + "\\MR.OLD1\\Merolin.exe"));
    WriteWholeFile(file, "1.31");
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_MoveFileA, 1, -1);
        EXPECT_EQ(kNotPutBack, PutBack(record, file.c_str()));
    }
    g_forgedFolder = dir;  // the directory swapped for a link since: nothing comes back through it
    {
        PlatformFaults faults;
        faults.Forward().GetFileAttributesA = ReparsePoint;
        EXPECT_EQ(kLeftBehindLink, PutBack(record, file.c_str()));
    }
    EXPECT_EQ("1.20", ReadWholeFile(dir + "\\MR.OLD1\\Merolin.exe"));
    EXPECT_EQ(kPutBack, PutBack(record, file.c_str()));
    EXPECT_EQ("1.20", ReadWholeFile(file));
    EXPECT_FALSE(DirExists(dir + "\\MR.OLD1"));

    g_forgedFolder = dir + "\\Sub";
    ASSERT_TRUE(::CreateDirectoryA(g_forgedFolder.c_str(), NULL));
    PlatformFaults faults;
    faults.Forward().GetFileAttributesA = ReparsePoint;
    EXPECT_FALSE(RecordSetAside(record, (g_forgedFolder + "\\Merolin.hlp").c_str()));
    record.Close(TRUE);
}

} // namespace
