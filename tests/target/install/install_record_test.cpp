// CInstallRecord where the system gives no file identity for a directory: its sites
// are told apart by name alone. The run's record on disk, as the next run settles it:
// only what it names of the product's own counts.
#include "faults.h"
#include "install_flow.h"
#include "install_record.h"
#include "testenv.h"
#include <gtest/gtest.h>

// Two spellings that differ only in the case of ASCII letters are one site; other
// names, a letter outside ASCII in another case included, are sites of their own.
// No two unidentified sites are known to be apart, so that nothing of one is removed
// for the other's sake.
TEST(InstallRecord, WithoutFileIdentitiesSitesAreToldApartByName)
{
    ScratchDir scratch(CurrentTestName());
    const std::string dir = scratch / "Merolin", other = scratch / "Other";
    std::string upper = dir;
    ::CharUpperA(&upper[0]);
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), NULL) && ::CreateDirectoryA(other.c_str(), NULL));
    PlatformFaults faults;
    faults.Fail(AFX_CALL_GetFileInformationByHandle, 1, -1);

    CInstallRecord record;
    CInstallRecord::Site* pSite = record.Enter(dir.c_str());
    EXPECT_FALSE(pSite->bIdentified);
    EXPECT_EQ(pSite, record.Enter(upper.c_str()));
    CInstallRecord::Site* pOther = record.Enter(other.c_str());
    EXPECT_NE(pSite, pOther);
    EXPECT_NE(record.Enter((scratch / "Caf\xe9").c_str()), record.Enter((scratch / "CAF\xc9").c_str()));
    EXPECT_FALSE(CInstallRecord::KnownApart(*pSite, *pOther));
}

// The next run settles only the entries that name the product's own files and keys
// in a full path: a file of another name, one below "..", another key stay as they
// are. An entry broken off at the end (the run was cut short writing it) is not one.
TEST(RunRecord, OnlyTheProductsOwnEntriesAreSettled)
{
    ScratchDir scratch(CurrentTestName());
    const std::string dir = scratch.Path(), aside = dir + "\\MR.OLD";
    ASSERT_TRUE(::CreateDirectoryA(aside.c_str(), NULL));
    for (const char* name : { "notes.txt", "Merolin.exe", "MR.OLD\\notes.ini", "MR.OLD\\Merolin.hlp" })
        WriteWholeFile(dir + "\\" + name, name);
    ops::CRecordFile record;
    ASSERT_TRUE(record.Create());
    for (const char* name : { "notes.txt", "Merolin.exe", "MR.OLD\\..\\Uninstall.exe" })
        record.Add(ops::CRecordFile::kNewFile, (dir + "\\" + name).c_str());
    for (const char* name : { "notes.ini", "Merolin.hlp" })
        record.Add(ops::CRecordFile::kSetAside, (dir + "\\" + name).c_str());
    record.Add(ops::CRecordFile::kKeptKey, kUninstallKey);
    record.Add(ops::CRecordFile::kKeptValue, "DisplayName", "\1\0\0\0Merolin 1.20", 16);
    record.Add(ops::CRecordFile::kKeptKey, (std::string(kUninstallKey) + "\\Sub").c_str());
    record.Add(ops::CRecordFile::kKeptKey, "SOFTWARE\\Tolvane Software\\Other");
    record.Add(ops::CRecordFile::kKeptValue, "", "\1\0\0\0x", 5);
    ASSERT_TRUE(record.Flush());
    WriteWholeFile(dir + "\\Uninstall.exe", "not to be removed");
    FILE* file = fopen(ops::CRecordFile::Path(), "ab");
    fwrite("N\x40\0\0\0C:\\", 1, 8, file);  // a text longer than what follows
    fclose(file);

    EXPECT_TRUE(CInstallFlow::RepairInterruptedRun());
    EXPECT_EQ("notes.txt", ReadWholeFile(dir + "\\notes.txt"));
    EXPECT_EQ("not to be removed", ReadWholeFile(dir + "\\Uninstall.exe"));
    EXPECT_FALSE(FileExists(dir + "\\Merolin.exe"));
    EXPECT_EQ("MR.OLD\\Merolin.hlp", ReadWholeFile(dir + "\\Merolin.hlp"));
    EXPECT_EQ("MR.OLD\\notes.ini", ReadWholeFile(aside + "\\notes.ini"));
    EXPECT_FALSE(RegKeyExists("SOFTWARE\\Tolvane Software\\Other"));
    EXPECT_EQ("Merolin 1.20", RegString(kUninstallKey, "DisplayName"));
    EXPECT_TRUE(RegKeyExists(std::string(kUninstallKey) + "\\Sub")) << "a key below a product key is the product's";
    EXPECT_EQ("<missing>", RegString(kUninstallKey, "")) << "the other key's value";
    RemoveProductKeys();
    EXPECT_FALSE(FileExists(std::string(ops::CRecordFile::Path())));
}
